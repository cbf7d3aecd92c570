#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <memory>

class ResultStore;

// Exit statuses of talvexa-cli.
namespace exitcode {
constexpr int Ok = 0;
constexpr int StoreProblem = 1; // cannot open, lock or write the store
constexpr int BadArguments = 2;
constexpr int NotAllObtained = 3; // some answers blocked, failed, unrecognised
constexpr int Interrupted = 130;
} // namespace exitcode

namespace cli {

inline const QString Version = QStringLiteral("0.1");

// Parses a subcommand's arguments (the first being the command's name).
// Returns -1 when the command goes on; otherwise the status to exit with:
// 0 after --help or --version, 2 with the usage on stderr for a bad
// argument.
int parse(QCommandLineParser &parser, const QStringList &arguments);

// Text for the terminal, in its own encoding (UTF-8 here).
void print(std::FILE *to, const QString &text);

// The store named by --store, default ./setting.dat.
QCommandLineOption storeOption();

// Opens the store, or says why not ("文件不完整" and the path) and gives
// nullptr; the file is left as it was.
std::unique_ptr<ResultStore> openStore(const QString &path);

} // namespace cli
