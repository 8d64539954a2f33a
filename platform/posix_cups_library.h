#pragma once

// libcups, loaded at the first printer:NAME value and only then: a run that
// reaches no queue never loads it, nor the libraries it brings, and a system
// without it still runs the programs. The types are the header's; the
// library is never linked.
//
//   cupsLibrary()   the calls the queue port makes, looked up once a run;
//                   nullptr, and in `problem` which package brings the
//                   library, where it cannot be loaded

#include <cups/cups.h>

#include <string>

namespace label::platform {

struct CupsLibrary {
    decltype(&::cupsServer) server;
    decltype(&::ippPort) port;
    decltype(&::cupsEncryption) encryption;
    decltype(&::httpConnect2) connect;
    decltype(&::httpClose) close;
    decltype(&::httpAssembleURI) assembleUri;
    decltype(&::cupsGetDests2) getDests;
    decltype(&::cupsFreeDests) freeDests;
    decltype(&::ippNewRequest) newRequest;
    decltype(&::ippAddString) addString;
    decltype(&::ippAddStrings) addStrings;
    decltype(&::cupsDoRequest) doRequest;
    decltype(&::ippFindAttribute) findAttribute;
    decltype(&::ippGetCount) getCount;
    decltype(&::ippGetString) getString;
    decltype(&::ippGetInteger) getInteger;
    decltype(&::ippGetBoolean) getBoolean;
    decltype(&::ippDelete) deleteIpp;
    decltype(&::cupsCreateJob) createJob;
    decltype(&::cupsStartDocument) startDocument;
    decltype(&::cupsWriteRequestData) writeRequestData;
    decltype(&::cupsFinishDocument) finishDocument;
    decltype(&::cupsLastError) lastError;
    decltype(&::cupsLastErrorString) lastErrorString;
};

const CupsLibrary* cupsLibrary(std::string& problem);

}  // namespace label::platform
