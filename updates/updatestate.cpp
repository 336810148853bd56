#include "updatestate.h"

#include "core/downloadmanager.h"
#include "core/packageinstaller.h"

UpdateState::UpdateState() = default;
UpdateState::~UpdateState() = default;
