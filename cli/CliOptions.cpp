#include "CliOptions.h"

#include "ResultStore.h"

#include <QFileInfo>

namespace cli {

int parse(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Shows the version."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + u'\n' + parser.helpText());
        return exitcode::BadArguments;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return exitcode::Ok;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("talvexa-cli ") + Version + u'\n');
        return exitcode::Ok;
    }
    return -1;
}

void print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

QCommandLineOption storeOption()
{
    return QCommandLineOption(QStringLiteral("store"),
                              QStringLiteral("The store file (default ./setting.dat)."),
                              QStringLiteral("FILE"), QStringLiteral("setting.dat"));
}

std::unique_ptr<ResultStore> openStore(const QString &path)
{
    try {
        return std::make_unique<ResultStore>(path);
    } catch (const StoreOpenError &) {
        print(stderr, QStringLiteral("文件不完整：%1\n").arg(QFileInfo(path).absoluteFilePath()));
        return nullptr;
    }
}

} // namespace cli
