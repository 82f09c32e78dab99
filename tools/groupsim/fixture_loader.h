#pragma once

#include "groupsim/sim_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace brindle::groupsim {

// Reads the service's data from a JSON fixture (format in README.md). Every mistake
// (bad JSON, unknown key, wrong type, duplicate message number) is reported with
// where it is; nothing is guessed.
std::optional<SimData> LoadFixture(const QByteArray &json, QString *error);
std::optional<SimData> LoadFixtureFile(const QString &path, QString *error);

} // namespace brindle::groupsim
