// KernelVersions: the versions of the fast renderer's kernels this build
// holds, which of them this processor can run, and the one choice between
// them that each program makes at start-up: the version FRACTALS_CPU names
// (baseline, avx2 or avx512), or else the best the processor runs. Only the
// kernels differ between versions; everything else is built for baseline
// x86-64, so nothing this processor lacks runs before the choice is checked.
// Another architecture (WebAssembly, ARM) has one portable version, named
// baseline.
#pragma once

#include <string>
#include <vector>

namespace fastkernels {
struct KernelTable;
}

enum class KernelVersion {
    baseline,  // x86-64's SSE2, or the portable version elsewhere
    avx2,
    avx512,  // AVX-512 F, VL, BW and DQ
};

const char* versionName(KernelVersion version);

// The versions in this build, plainest first.
const std::vector<KernelVersion>& builtVersions();

// Whether this processor, and its operating system, can run a version.
bool canRun(KernelVersion version);

// The built versions this processor can run, plainest first.
std::vector<KernelVersion> runnableVersions();

// The version `requested` names, out of `runnable` (plainest first, never
// empty); null or empty: the last, the best. Throws ErrorMsg for an unknown name or one
// not in `runnable`, naming those in it.
KernelVersion chooseVersion(const char* requested,
                                    const std::vector<KernelVersion>& runnable);
KernelVersion chooseVersion(const char* requested);  // out of this processor's

// chooseVersion of the FRACTALS_CPU environment variable.
KernelVersion versionFromEnvironment();

// For the tests and the benchmark, which compare versions: the one
// FRACTALS_CPU names, or every version this processor can run when it is
// unset or empty. Throws ErrorMsg as chooseVersion does.
std::vector<KernelVersion> versionsFromEnvironment();

// The kernels of a version; throws ErrorMsg as above if this processor can't run them.
const fastkernels::KernelTable& kernelsFor(KernelVersion version);
