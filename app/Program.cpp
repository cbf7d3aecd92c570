#include "Program.h"

#include "CurlGlobal.h"
#include "TForm1.h"
#include "TForm2.h"
#include "THTTPGetThread.h"
#include "Toolkit.h"

#include <cstdio>
#include <unistd.h>

void prepareBrowserEngine()
{
    // The browser engine refuses to run as root inside its sandbox.
    if (::geteuid() == 0) {
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("talvexa: running as root, the banner's browser pane runs without its "
                   "sandbox; running as a normal user is safer.\n",
                   stderr);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

int runProgram(int argc, char **argv)
{
    prepareBrowserEngine();
    const CurlGlobal curl;
    int status = 0;
    {
        toolkit::TApplication app(argc, argv);
        auto form = std::make_unique<TForm1>();
        if (!form->FormCreate()) {
            status = 1;
        } else {
            auto dialog = std::make_unique<TForm2>(
                *form->cbb1, [f = form.get()]() -> ResultStore & { return f->store(); },
                form.get());
            form->Form2 = dialog.release(); // owned by the main window
            form->show();
            status = app.exec();
        }
        form.reset();
        // Fetches still under way end here, before the application goes.
        THTTPGetThread::finishAll();
    }
    return status;
}
