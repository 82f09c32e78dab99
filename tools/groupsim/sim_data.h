#pragma once

#include "groupsim/fault_rules.h"

#include <QDateTime>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace brindle::groupsim {

// One message of a group: its raw text and what the message page shows of it.
struct SimMessage {
    int number = 0;
    std::string raw;          // RFC 5322 text, CRLF line ends
    std::string subject;      // as shown on the pages (decoded)
    std::string author;       // display name (decoded)
    std::string authorEmail;
    QDateTime date;           // with the sender's UTC offset
    std::string text;         // the plain text the message page shows
};

// One stored file of a group's Files section. Its bytes are either given (text) or
// generated from the seed, so a file of any size costs no memory.
struct SimFile {
    std::string path;         // "/Folder/Sub/name.ext"
    std::uint64_t size = 0;
    std::uint64_t seed = 0;
    bool hasText = false;
    std::string text;

    std::uint64_t Size() const { return hasText ? text.size() : size; }
};

// How a members-only group answers its "/auth?" step once the member is logged in:
// with a page that links on to the message, or with a redirect straight to it.
enum class AuthMode { Page, Redirect };

struct SimGroup {
    std::string name;         // spelling used in the group's own links
    std::string title;
    std::string description;
    std::string prefix;       // regional prefix with its dot ("uk."), empty on the main site
    bool adult = false;
    bool membersOnly = false;
    AuthMode authMode = AuthMode::Page;
    std::map<int, SimMessage> messages;
    std::set<int> deleted;    // numbers known to have been deleted
    std::vector<SimFile> files;

    const SimMessage *Message(int number) const;
    // The existing message numbers next to n, or 0 when there is none.
    int PreviousNumber(int n) const;
    int NextNumber(int n) const;
    const SimFile *File(const std::string &path) const;
    // "uk.groups.yahoo.com" or "groups.yahoo.com".
    std::string Host() const;
};

struct SimUser {
    std::string name;
    std::string password;
    std::vector<std::string> groups;  // the account's "My Groups"
};

struct SimData {
    std::vector<SimGroup> groups;
    std::vector<SimUser> users;
    std::vector<FaultRule> faults;

    // Group and user names compare without regard to case.
    const SimGroup *Group(const std::string &name) const;
    const SimUser *User(const std::string &name) const;
    // Appends other's groups, users and faults.
    void Merge(SimData other);
};

} // namespace brindle::groupsim
