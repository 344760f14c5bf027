#pragma once
// What a destructive end-to-end test compares before and after Kestrel ran: every file and
// folder of C:\ and every key and value of HKLM and HKU (both views: the 32-bit one lies below
// the 64-bit view's "Wow6432Node"). Entries are named in lower case: "c:\dir\file",
// "hklm\software\key", "hklm\software\key|value"; the value of an entry describes it (size,
// time and attributes of a file; type and data of a value), so a change shows.

#include <map>
#include <string>
#include <vector>

namespace kestrel::e2e {

using MachineSnapshot = std::map<std::string, std::string>;

MachineSnapshot TakeMachineSnapshot();

// Where "HKCU" lies in the snapshot: "hku\<sid of this user>".
std::string CurrentUserRoot();

// How two snapshots differ, as lines "removed <entry>", "added <entry>", "changed <entry>",
// leaving out the entries at or below the ignored roots, the removals at or below the expected
// roots, and the entries the run may make or rewrite (a name, or a pattern whose "*" stands for
// any characters but "\"). Each expected root that was not there before or is there still adds
// "not there before <root>" or "not removed <root>".
struct ExpectedChanges {
    std::vector<std::string> ignored;
    std::vector<std::string> removed;
    std::vector<std::string> made;
};
std::vector<std::string> UnexpectedChanges(const MachineSnapshot& before,
                                           const MachineSnapshot& after,
                                           const ExpectedChanges& expected);

}  // namespace kestrel::e2e
