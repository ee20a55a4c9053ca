#include "kernels/InstructionSets.h"

#include <cstdlib>
#include <cstring>

#include "app/ErrorMsg.h"
#include "kernels/FastKernels.h"

namespace {

constexpr const char* kVariable = "FRACTALS_CPU";

#ifdef FRACTALS_X86_64_KERNELS
// libgcc's (and compiler-rt's) answers already include the operating
// system's side: a set counts only if XGETBV shows its registers are saved.
bool processorRuns(InstructionSet set) {
    __builtin_cpu_init();
    switch (set) {
    case InstructionSet::baseline: return true;
    case InstructionSet::avx2: return __builtin_cpu_supports("avx2");
    case InstructionSet::avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
    }
    return false;
}
#endif

bool built(InstructionSet set) {
    for (InstructionSet b : builtInstructionSets())
        if (b == set) return true;
    return false;
}

// "baseline, avx2"
std::string namesOf(const std::vector<InstructionSet>& sets) {
    std::string names;
    for (InstructionSet set : sets)
        names += (names.empty() ? "" : ", ") + std::string(instructionSetName(set));
    return names;
}

[[noreturn]] void refuse(const std::string& requested, const char* why,
                         const std::vector<InstructionSet>& runnable) {
    throw ErrorMsg(std::string(kVariable) + "=\"" + requested + "\" " + why +
                   "; this processor can run " + namesOf(runnable));
}

}  // namespace

const char* instructionSetName(InstructionSet set) {
    switch (set) {
    case InstructionSet::baseline: return "baseline";
    case InstructionSet::avx2: return "avx2";
    case InstructionSet::avx512: return "avx512";
    }
    return "?";
}

const std::vector<InstructionSet>& builtInstructionSets() {
#ifdef FRACTALS_X86_64_KERNELS
    static const std::vector<InstructionSet> sets = {InstructionSet::baseline, InstructionSet::avx2,
                                                     InstructionSet::avx512};
#else
    static const std::vector<InstructionSet> sets = {InstructionSet::baseline};
#endif
    return sets;
}

bool canRun(InstructionSet set) {
#ifdef FRACTALS_X86_64_KERNELS
    return built(set) && processorRuns(set);
#else
    return built(set);
#endif
}

std::vector<InstructionSet> runnableInstructionSets() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set : builtInstructionSets())
        if (canRun(set)) sets.push_back(set);
    return sets;
}

InstructionSet chooseInstructionSet(const char* requested,
                                    const std::vector<InstructionSet>& runnable) {
    if (requested == nullptr || *requested == '\0') return runnable.back();
    for (InstructionSet set :
         {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
        if (std::strcmp(requested, instructionSetName(set)) != 0) continue;
        for (InstructionSet r : runnable)
            if (r == set) return set;
        refuse(requested, "names a version this processor can't run", runnable);
    }
    refuse(requested, "names no version", runnable);
}

InstructionSet chooseInstructionSet(const char* requested) {
    return chooseInstructionSet(requested, runnableInstructionSets());
}

InstructionSet instructionSetFromEnvironment() {
    return chooseInstructionSet(std::getenv(kVariable));
}

std::vector<InstructionSet> instructionSetsFromEnvironment() {
    const char* requested = std::getenv(kVariable);
    if (requested == nullptr || *requested == '\0') return runnableInstructionSets();
    return {chooseInstructionSet(requested)};
}

const fastkernels::KernelTable& kernelsFor(InstructionSet set) {
    if (!canRun(set))
        refuse(instructionSetName(set), "names a version this processor can't run",
               runnableInstructionSets());
    switch (set) {
#ifdef FRACTALS_X86_64_KERNELS
    case InstructionSet::avx2: return fastkernels::avx2::kernels;
    case InstructionSet::avx512: return fastkernels::avx512::kernels;
#endif
    default: return fastkernels::baseline::kernels;
    }
}
