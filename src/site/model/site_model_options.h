#pragma once

#include "common/section.h"

#include <QString>

namespace brindle {

// The download options a site model reads, named as in the run's download options.
// Site models hold a pointer to them (not owned); when the full options class is
// at hand, the model points at that instead.
struct SiteModelOptions {
    bool m_boolIgnoreViewer = false;
    Section m_intSection = Section::Messages;
    QString strSaveDir;
};

} // namespace brindle
