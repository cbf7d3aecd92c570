#pragma once

#include <QStringList>

// talvexa-cli init, domains and export. Each takes the subcommand's
// arguments (its name first) and returns the exit status.
namespace cli {

int init(const QStringList &arguments);
int domains(const QStringList &arguments);
int exportCsv(const QStringList &arguments);

} // namespace cli
