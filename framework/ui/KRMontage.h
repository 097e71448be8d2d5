#pragma once

// The montage family's marker type: it has no members. The timeline lives in
// KRMontageScenes, its elements and loci, and KRMontagePlayer plays it.

#include "platform/foundation/Object.h"

class KRMontage : public pf::Object {
};
