#include "kernels/KernelVersions.h"

#include <cstdlib>
#include <cstring>

#include "app/ErrorMsg.h"
#include "kernels/FastKernels.h"

namespace {

constexpr const char* kVariable = "FRACTALS_CPU";

#ifdef FRACTALS_X86_64_KERNELS
// libgcc's (and compiler-rt's) answers already include the operating
// system's side: a set counts only if XGETBV shows its registers are saved.
bool processorRuns(KernelVersion version) {
    __builtin_cpu_init();
    switch (version) {
    case KernelVersion::baseline: return true;
    case KernelVersion::avx2: return __builtin_cpu_supports("avx2");
    case KernelVersion::avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
    }
    return false;
}
#endif

bool built(KernelVersion version) {
    for (KernelVersion b : builtVersions())
        if (b == version) return true;
    return false;
}

// "baseline, avx2"
std::string namesOf(const std::vector<KernelVersion>& versions) {
    std::string names;
    for (KernelVersion version : versions)
        names += (names.empty() ? "" : ", ") + std::string(versionName(version));
    return names;
}

[[noreturn]] void refuse(const std::string& requested, const char* why,
                         const std::vector<KernelVersion>& runnable) {
    throw ErrorMsg(std::string(kVariable) + "=\"" + requested + "\" " + why +
                   "; this processor can run " + namesOf(runnable));
}

}  // namespace

const char* versionName(KernelVersion version) {
    switch (version) {
    case KernelVersion::baseline: return "baseline";
    case KernelVersion::avx2: return "avx2";
    case KernelVersion::avx512: return "avx512";
    }
    return "?";
}

const std::vector<KernelVersion>& builtVersions() {
#ifdef FRACTALS_X86_64_KERNELS
    static const std::vector<KernelVersion> versions = {KernelVersion::baseline,
                                                        KernelVersion::avx2, KernelVersion::avx512};
#else
    static const std::vector<KernelVersion> versions = {KernelVersion::baseline};
#endif
    return versions;
}

bool canRun(KernelVersion version) {
#ifdef FRACTALS_X86_64_KERNELS
    return built(version) && processorRuns(version);
#else
    return built(version);
#endif
}

std::vector<KernelVersion> runnableVersions() {
    std::vector<KernelVersion> versions;
    for (KernelVersion version : builtVersions())
        if (canRun(version)) versions.push_back(version);
    return versions;
}

KernelVersion chooseVersion(const char* requested,
                                    const std::vector<KernelVersion>& runnable) {
    if (requested == nullptr || *requested == '\0') return runnable.back();
    for (KernelVersion version :
         {KernelVersion::baseline, KernelVersion::avx2, KernelVersion::avx512}) {
        if (std::strcmp(requested, versionName(version)) != 0) continue;
        for (KernelVersion r : runnable)
            if (r == version) return version;
        refuse(requested, "names a version this processor can't run", runnable);
    }
    refuse(requested, "names no version", runnable);
}

KernelVersion chooseVersion(const char* requested) {
    return chooseVersion(requested, runnableVersions());
}

KernelVersion versionFromEnvironment() {
    return chooseVersion(std::getenv(kVariable));
}

std::vector<KernelVersion> versionsFromEnvironment() {
    const char* requested = std::getenv(kVariable);
    if (requested == nullptr || *requested == '\0') return runnableVersions();
    return {chooseVersion(requested)};
}

const fastkernels::KernelTable& kernelsFor(KernelVersion version) {
    if (!canRun(version))
        refuse(versionName(version), "names a version this processor can't run",
               runnableVersions());
    switch (version) {
#ifdef FRACTALS_X86_64_KERNELS
    case KernelVersion::avx2: return fastkernels::avx2::kernels;
    case KernelVersion::avx512: return fastkernels::avx512::kernels;
#endif
    default: return fastkernels::baseline::kernels;
    }
}
