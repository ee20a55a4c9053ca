// InstructionSets: the versions of the fast renderer's kernels this build
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

enum class InstructionSet {
    baseline,  // x86-64's SSE2, or the portable version elsewhere
    avx2,
    avx512,  // AVX-512 F, VL, BW and DQ
};

const char* instructionSetName(InstructionSet set);

// The versions in this build, plainest first.
const std::vector<InstructionSet>& builtInstructionSets();

// Whether this processor, and its operating system, can run a version.
bool canRun(InstructionSet set);

// The built versions this processor can run, plainest first.
std::vector<InstructionSet> runnableInstructionSets();

// The version `requested` names, out of `runnable` (plainest first, never
// empty); null or empty: the last, the best. Throws ErrorMsg for an unknown name or one
// not in `runnable`, naming those in it.
InstructionSet chooseInstructionSet(const char* requested,
                                    const std::vector<InstructionSet>& runnable);
InstructionSet chooseInstructionSet(const char* requested);  // out of this processor's

// chooseInstructionSet of the FRACTALS_CPU environment variable.
InstructionSet instructionSetFromEnvironment();

// For the tests and the benchmark, which compare versions: the one
// FRACTALS_CPU names, or every version this processor can run when it is
// unset or empty. Throws ErrorMsg as chooseInstructionSet does.
std::vector<InstructionSet> instructionSetsFromEnvironment();

// The kernels of a version; throws ErrorMsg as above if this processor can't run them.
const fastkernels::KernelTable& kernelsFor(InstructionSet set);
