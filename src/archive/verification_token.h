#pragma once

#include "archive/archive_store.h"

namespace frostel::archive {

// A verification as the trail keeps it, on this PC and as the shared archive's server enters
// it: one fixed text, whatever language a window shows it in.
[[nodiscard]] inline const char* verification_token(Verification v) {
    switch (v) {
        case Verification::kIntact:
            return "INTACT";
        case Verification::kIntactWithoutDigest:
            return "INTACT (NO RECORD DIGEST)";
        case Verification::kAltered:
            break;
    }
    return "ALTERED";
}

}  // namespace frostel::archive
