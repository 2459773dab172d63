//===========================================================================
// Quorvell demo map: the trigger script of a small map that registers chat
// commands in the ways real maps do.
//===========================================================================

globals
    trigger gg_trg_Help = null
    trigger gg_trg_Mode = null
    trigger gg_trg_Camera = null
    trigger gg_trg_Chinese = null
    trigger gg_trg_Say = null
    trigger gg_trg_Kick = null
    integer udg_i = 0
endglobals

//===========================================================================
// Written by the map editor: one line per player, exact matches.
function InitTrig_Help takes nothing returns nothing
    set gg_trg_Help = CreateTrigger(  )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(0), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(1), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(2), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(3), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(4), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(5), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(6), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(7), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(8), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(9), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(10), "-help", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Help, Player(11), "-help", true )
endfunction

//===========================================================================
// The host picks the game mode: partial matches, so "-mode ar" fires too.
function InitTrig_Mode takes nothing returns nothing
    set gg_trg_Mode = CreateTrigger()
    call TriggerRegisterPlayerChatEvent(gg_trg_Mode, Player(0), "-mode", false)
    call TriggerRegisterPlayerChatEvent(gg_trg_Mode, Player(0), "-ap", true)
    call TriggerRegisterPlayerChatEvent(gg_trg_Mode, Player(0), "-ar", true)
    call TriggerRegisterPlayerChatEvent(gg_trg_Mode, Player(0), "-sd", true)
endfunction

//===========================================================================
// Hand-written: a loop over every player.
function InitTrig_Camera takes nothing returns nothing
    local integer i = 0
    set gg_trg_Camera = CreateTrigger()
    loop
        exitwhen i > 11
        call TriggerRegisterPlayerChatEvent(gg_trg_Camera, Player(i), "-zoom ", false)
        call TriggerRegisterPlayerChatEvent(gg_trg_Camera, Player(i), "-cam", true)
        set i = i + 1
    endloop
endfunction

//===========================================================================
// Chinese commands, as Chinese maps write them.
function InitTrig_Chinese takes nothing returns nothing
    set gg_trg_Chinese = CreateTrigger(  )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(0), "-开始", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(0), "-难度 简单", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(0), "-难度 困难", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(1), "存档", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(1), "读档", false )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(2), "-查看属性", true )
    call TriggerRegisterPlayerChatEvent( gg_trg_Chinese, Player(3), "-清除", false )
endfunction

//===========================================================================
// A command with an escaped quote, and a loop in the editor's style.
function InitTrig_Say takes nothing returns nothing
    set gg_trg_Say = CreateTrigger(  )
    call TriggerRegisterPlayerChatEvent( gg_trg_Say, Player(0), "-say \"gg\"", true )
    set bj_forLoopAIndex = 1
    set bj_forLoopAIndexEnd = 12
    loop
        exitwhen bj_forLoopAIndex > bj_forLoopAIndexEnd
        call TriggerRegisterPlayerChatEvent( gg_trg_Say, ConvertedPlayer(GetForLoopIndexA()), "-ms", true )
        set bj_forLoopAIndex = bj_forLoopAIndex + 1
    endloop
endfunction

//===========================================================================
// Registered by a library for each player slot with an array.
function InitTrig_Kick takes nothing returns nothing
    set gg_trg_Kick = CreateTrigger()
    call TriggerRegisterPlayerChatEvent(gg_trg_Kick, Player(0), "-kick red", true)
    call TriggerRegisterPlayerChatEvent(gg_trg_Kick, Player(0), "-kick blue", true)
    call TriggerRegisterPlayerChatEvent(gg_trg_Kick, Player(11), "-swap", false)
    // An empty chat text would fire on every message: it lists no command.
    call TriggerRegisterPlayerChatEvent(gg_trg_Kick, Player(5), "", false)
endfunction

function InitCustomTriggers takes nothing returns nothing
    call InitTrig_Help(  )
    call InitTrig_Mode(  )
    call InitTrig_Camera(  )
    call InitTrig_Chinese(  )
    call InitTrig_Say(  )
    call InitTrig_Kick(  )
endfunction

function main takes nothing returns nothing
    call InitCustomTriggers(  )
endfunction
