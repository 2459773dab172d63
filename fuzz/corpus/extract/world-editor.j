call TriggerRegisterPlayerChatEvent( gg_trg_X, Player(0), "-ar", true )
    call TriggerAddAction( gg_trg_X, function Trig_X_Actions )
endfunction
