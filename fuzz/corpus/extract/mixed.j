call TriggerRegisterPlayerChatEvent( t, Player(2), "say \"hi\"", false )
call TriggerRegisterPlayerChatEvent(t,Player(£·),"Äã",true)call TriggerRegisterPlayerChatEvent( t, Player(0), s, true )
call DisplayTextToPlayer( p, 0, 0, "hello" )
