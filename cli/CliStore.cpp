#include "CliStore.h"

#include "CliOptions.h"
#include "CsvWriter.h"
#include "DomainList.h"
#include "ResultStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <memory>

namespace cli {
namespace {

// Lines as the domain list dialog takes them; a CR before a line break is
// no part of the line.
QStringList listLines(const QByteArray &bytes)
{
    return domainLines(
        QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace

int init(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates an empty store; an existing file "
                                                    "is never touched."));
    parser.addOption(storeOption());
    if (const int status = parse(parser, arguments); status >= 0)
        return status;
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("init takes no arguments\n") + parser.helpText());
        return exitcode::BadArguments;
    }
    const QString path = parser.value(QStringLiteral("store"));
    try {
        // The folder too, as for the daily timer's store.
        QDir().mkpath(QFileInfo(path).absolutePath());
        ResultStore::create(path);
    } catch (const StoreError &e) {
        print(stderr, QString::fromUtf8(e.what()) + u'\n');
        return exitcode::StoreProblem;
    }
    print(stdout, QStringLiteral("created %1\n").arg(QFileInfo(path).absoluteFilePath()));
    return exitcode::Ok;
}

int domains(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the saved domain list, one per line, or changes it."));
    parser.addOption(storeOption());
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Replaces the list with the file's lines, as the "
                                                "window's list dialog saves them (- for stdin)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption add(QStringLiteral("add"),
                                 QStringLiteral("Appends the domains given, as the query button "
                                                "does."));
    parser.addOption(set);
    parser.addOption(add);
    parser.addPositionalArgument(QStringLiteral("DOMAIN"), QStringLiteral("With --add."),
                                 QStringLiteral("[DOMAIN...]"));
    if (const int status = parse(parser, arguments); status >= 0)
        return status;
    const QStringList given = parser.positionalArguments();
    if ((parser.isSet(set) && parser.isSet(add)) || (!parser.isSet(add) && !given.isEmpty()) ||
        (parser.isSet(add) && given.isEmpty())) {
        print(stderr, QStringLiteral("use --set FILE, or --add with domains, or neither\n") +
                          parser.helpText());
        return exitcode::BadArguments;
    }
    QByteArray lines;
    if (parser.isSet(set)) {
        QFile file;
        const QString name = parser.value(set);
        const bool opened = name == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                         : (file.setFileName(name), file.open(QIODevice::ReadOnly));
        if (!opened) {
            print(stderr, QStringLiteral("cannot read %1: %2\n").arg(name, file.errorString()));
            return exitcode::BadArguments;
        }
        lines = file.readAll();
    }
    const std::unique_ptr<ResultStore> store = openStore(parser.value(QStringLiteral("store")));
    if (!store)
        return exitcode::StoreProblem;
    try {
        if (parser.isSet(set)) {
            store->replaceDomains(listLines(lines));
        } else if (parser.isSet(add)) {
            for (const QString &domain : given)
                store->addDomain(domain);
        } else {
            for (const QString &domain : store->domains())
                print(stdout, domain + u'\n');
        }
    } catch (const StoreError &e) {
        print(stderr, QString::fromUtf8(e.what()) + u'\n');
        return exitcode::StoreProblem;
    }
    return exitcode::Ok;
}

int exportCsv(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the overview (the latest row of every listed domain) or one domain's daily "
        "history as CSV: UTF-8 with a byte-order mark, CRLF, the results list's columns."));
    parser.addOption(storeOption());
    const QCommandLineOption domain(QStringLiteral("domain"),
                                    QStringLiteral("The daily history of this domain."),
                                    QStringLiteral("D"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("The file to write (default stdout)."),
                                 QStringLiteral("FILE"));
    parser.addOption(domain);
    parser.addOption(out);
    if (const int status = parse(parser, arguments); status >= 0)
        return status;
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("export takes no arguments\n") + parser.helpText());
        return exitcode::BadArguments;
    }
    const std::unique_ptr<ResultStore> store = openStore(parser.value(QStringLiteral("store")));
    if (!store)
        return exitcode::StoreProblem;
    QByteArray bytes;
    try {
        bytes = csv::resultsFile(parser.isSet(domain) ? store->dayHistory(parser.value(domain))
                                                      : store->latestRows());
    } catch (const StoreError &e) {
        print(stderr, QString::fromUtf8(e.what()) + u'\n');
        return exitcode::StoreProblem;
    }
    if (!parser.isSet(out)) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return exitcode::Ok;
    }
    // Written beside and renamed into place: never a partial file.
    QSaveFile file(parser.value(out));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        print(stderr,
              QStringLiteral("cannot write %1: %2\n").arg(parser.value(out), file.errorString()));
        return exitcode::StoreProblem;
    }
    return exitcode::Ok;
}

} // namespace cli
