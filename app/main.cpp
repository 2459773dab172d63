// quorvell.exe: start-up and shutdown.
#include "app/Handles.h"
#include "app/MainWindow.h"
#include "app/MessageLoop.h"
#include "app/WorkingDirectory.h"
#include "map/FatalError.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    quorvell::enterProgramFolder();
    const quorvell::OleSession ole;
    int exitCode = 0;
    {
        quorvell::MainWindow window;
        if (!window.create(instance)) {
            quorvell::fatalError("载入启动窗口失败");
        }
        window.show();
        exitCode = quorvell::runMessageLoop(window.handle());
    }
    return exitCode;
}
