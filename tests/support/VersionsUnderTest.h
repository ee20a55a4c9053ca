// The versions of the fast renderer's kernels a test compares: the one
// FRACTALS_CPU names, or every one this processor runs. A name that can't
// be run fails the test with the refusal's own text.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/ErrorMsg.h"
#include "kernels/KernelVersions.h"

namespace testsupport {

inline std::vector<KernelVersion> versionsUnderTest() {
    try {
        return versionsFromEnvironment();
    } catch (const ErrorMsg& e) {
        ADD_FAILURE() << e.message;
        return {};
    }
}

}  // namespace testsupport
