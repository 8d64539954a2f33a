#pragma once

// The kinds of port the programs write to, and every fact about a kind in
// one table. A kind is a type, not a name: code that branches on it switches
// on PortKind, and a kind the table does not hold cannot be written.
//
//   portKind(kind).program      the program made for it: "labelcom"
//   portKind(kind).variable     the variable that leads it elsewhere for a run
//   portKind(kind).deviceName   the name the programs have always opened it
//                               by ("com1:"), and the operator sees when the
//                               platform adds no name of its own
//   portKind(kind).usualGroup   the group that usually owns such devices
//   portKind(kind).places       where other ports of the kind appear, for the
//                               hint when the chosen one is missing
//
// The platforms add only what is theirs: the compiled-in path (POSIX), the
// port names the system knows (Windows).

#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace label {

enum class PortKind { serial, parallel };

// A folder where ports of a kind appear, and the start of their names ("" for
// a folder of links named after the device).
struct PortPlace {
    std::string_view folder;
    std::string_view prefix;
};

struct PortKindFacts {
    std::string_view program;
    std::string_view variable;
    std::string_view deviceName;
    std::string_view usualGroup;
    std::span<const PortPlace> places;
};

const PortKindFacts& portKind(PortKind kind);

// The one of the values given, in the order of PortKind, that belongs to
// `kind`: how a platform adds what is its own to a kind. A kind added later
// fails the build here (-Wswitch) until every caller has its value.
template <typename Value>
Value& byKind(PortKind kind, Value& serial, Value& parallel) {
    switch (kind) {
    case PortKind::serial:
        return serial;
    case PortKind::parallel:
        return parallel;
    }
    // Only a value cast from outside the enumeration comes here.
    std::abort();
}

// The items, separated as every hint lists them: "A, B, C".
std::string listed(const std::vector<std::string>& items);

// What the operator is told when the port `name` does not exist: the ports
// there are, each as `choices` gives it with the way to choose it, or that
// there are none.
std::string missingPortWords(std::string_view name, const std::vector<std::string>& choices);

}  // namespace label
