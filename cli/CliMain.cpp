// talvexa-cli: daily batches without a window.
//   talvexa-cli init|run|domains|export [options]   (--help on each)
#include "CliOptions.h"
#include "CliRun.h"
#include "CliStore.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

const char *const Usage =
    "usage: talvexa-cli COMMAND [options]\n"
    "  init      create an empty store\n"
    "  run       query every saved domain (or those given) and store their rows\n"
    "  domains   print or change the saved domain list\n"
    "  export    the overview or one domain's history as CSV\n"
    "talvexa-cli COMMAND --help tells more; --version the version.\n";

} // namespace

int main(int argc, char **argv)
{
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvexa-cli"));
    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == u"--version") {
        cli::print(stdout, QStringLiteral("talvexa-cli ") + cli::Version + u'\n');
        return exitcode::Ok;
    }
    if (command == u"--help" || command == u"-h") {
        cli::print(stdout, QString::fromLatin1(Usage));
        return exitcode::Ok;
    }
    // The subcommand's parser takes the command's name as its first word.
    const QStringList rest = arguments.mid(1);
    if (command == u"init")
        return cli::init(rest);
    if (command == u"run")
        return cli::run(rest);
    if (command == u"domains")
        return cli::domains(rest);
    if (command == u"export")
        return cli::exportCsv(rest);
    cli::print(stderr, (command.isEmpty() ? QString()
                                          : QStringLiteral("unknown command: %1\n").arg(command)) +
                           QString::fromLatin1(Usage));
    return exitcode::BadArguments;
}
