#pragma once

#include <QString>

namespace brindle {

// The regional sites of the service, each the host prefix in front of the group host.
inline constexpr char kRegionalPrefixes[] =
    "espanol.;chinese.;mx.;ca.;br.;ar.;tw.;sg.;kr.;jp.;in.;hk.;cn.;au.;asia.;uk.;se.;es.;no.;it.;de.;fr.;dk.;ct.;";

// Whether the prefix (for example "uk.") is one of the regional sites, without
// regard to case. An empty prefix, the main site, never is.
bool IsRegionalPrefix(const QString &prefix);

} // namespace brindle
