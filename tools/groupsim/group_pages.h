#pragma once

#include "groupsim/sim_data.h"

#include <optional>
#include <string>
#include <vector>

namespace brindle::groupsim {

// Pages of the group host. Message links are "/group/G/message/N" (relative to the
// group's host, G spelled as the group spells itself); see README.md for what each
// page holds.
namespace pages {

constexpr int kMessagesPerListPage = 30;
constexpr int kGroupsPerMyGroupsPage = 10;

std::string Start(const SimData &data, const std::optional<std::string> &user);
std::string GroupHome(const SimGroup &group);
std::string NoSuchGroup(const std::string &name);
// from > 0: the list starting at message number from; 0: the newest messages.
std::string MessageList(const SimGroup &group, int from);
std::string Message(const SimGroup &group, const SimMessage &message, bool source);
std::string MissingMessage(const SimGroup &group, int number);
std::string AdultConfirmation(const std::string &dest);
// The members-only check passed: a page that links on to the message (number 0: to the group).
std::string AuthContinue(const SimGroup &group, int number);
std::string NotAMember(const SimGroup &group, const std::string &user);
std::string MyGroups(const SimUser &user, int page);
// A folder of the Files section ("/" or "/A/B/").
std::string FilesFolder(const SimGroup &group, const std::string &folder);
// True when the folder ("/" or "/A/B/") holds a file or a folder.
bool FolderExists(const SimGroup &group, const std::string &folder);

} // namespace pages
} // namespace brindle::groupsim
