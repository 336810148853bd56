#include "updatestate.h"

#include "core/downloadmanager.h"

UpdateState::UpdateState() = default;
UpdateState::~UpdateState() = default;
