#include "Program.h"

#include "CurlGlobal.h"
#include "TForm1.h"
#include "TForm2.h"
#include "THTTPGetThread.h"
#include "Toolkit.h"

#include <unistd.h>

void prepareBrowserEngine()
{
    // The browser engine refuses to run as root inside its sandbox.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
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
