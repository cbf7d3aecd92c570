#pragma once

#include <QStringList>

namespace cli {

// talvexa-cli run: a batch over the saved list, or over the domains given,
// with the window's run, pacing, requests, reading and storage.
int run(const QStringList &arguments);

} // namespace cli
