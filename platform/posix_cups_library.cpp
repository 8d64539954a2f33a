#include "posix_cups_library.h"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <optional>

namespace label::platform {
namespace {

constexpr const char* libraryFile = "libcups.so.2";

template <typename Call>
bool find(void* library, const char* name, Call& call) {
    call = reinterpret_cast<Call>(::dlsym(library, name));
    return call != nullptr;
}

struct Loaded {
    std::optional<CupsLibrary> calls;
    std::string problem;
};

bool findAll(void* library, CupsLibrary& cups) {
    return find(library, "cupsServer", cups.server) && find(library, "ippPort", cups.port) &&
           find(library, "cupsEncryption", cups.encryption) && find(library, "httpConnect2", cups.connect) &&
           find(library, "httpClose", cups.close) && find(library, "httpAssembleURI", cups.assembleUri) &&
           find(library, "cupsGetDests2", cups.getDests) && find(library, "cupsFreeDests", cups.freeDests) &&
           find(library, "ippNewRequest", cups.newRequest) && find(library, "ippAddString", cups.addString) &&
           find(library, "ippAddStrings", cups.addStrings) && find(library, "cupsDoRequest", cups.doRequest) &&
           find(library, "ippFindAttribute", cups.findAttribute) && find(library, "ippGetCount", cups.getCount) &&
           find(library, "ippGetString", cups.getString) && find(library, "ippGetInteger", cups.getInteger) &&
           find(library, "ippGetBoolean", cups.getBoolean) && find(library, "ippDelete", cups.deleteIpp) &&
           find(library, "cupsCreateJob", cups.createJob) && find(library, "cupsStartDocument", cups.startDocument) &&
           find(library, "cupsWriteRequestData", cups.writeRequestData) &&
           find(library, "cupsFinishDocument", cups.finishDocument) && find(library, "cupsLastError", cups.lastError) &&
           find(library, "cupsLastErrorString", cups.lastErrorString);
}

// Kept loaded to the end of the run: a helper still inside a call may
// outlive every port.
Loaded load() {
    // A program without a dynamic loader (linked static) would bring in a
    // second C library with libcups, and crash inside it.
    if (::getauxval(AT_BASE) == 0) {
        return {std::nullopt,
                std::string("printer queues need the CUPS library ") + libraryFile +
                    ", which a program linked static cannot load: build with LABEL_LINKING=static-runtime"};
    }
    void* library = ::dlopen(libraryFile, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return {std::nullopt, std::string("printer queues need the CUPS library ") + libraryFile +
                                  ": install the package libcups2 (" + ::dlerror() + ")"};
    }
    CupsLibrary cups{};
    if (!findAll(library, cups)) {
        return {std::nullopt, std::string("the CUPS library here is too old for printer queues (") + ::dlerror() +
                                  "): install the package libcups2 of this release"};
    }
    return {cups, {}};
}

}  // namespace

const CupsLibrary* cupsLibrary(std::string& problem) {
    static const Loaded loaded = load();
    problem = loaded.problem;
    return loaded.calls ? &*loaded.calls : nullptr;
}

}  // namespace label::platform
