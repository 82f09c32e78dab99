#pragma once

#include "groupsim/sim_data.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brindle::groupsim {

// What --generate builds, read from "key=value,key=value" (see README.md).
struct GeneratorRecipe {
    int groups = 3;
    int messages = 50;             // existing messages per group
    std::uint64_t seed = 1;
    int deletedPercent = 5;        // share of numbers that are gaps
    int replyPercent = 40;         // share of messages that answer an earlier one
    int bodySize = 600;            // average body length in bytes
    int files = 4;                 // stored files per group
    std::uint64_t fileSize = 64 * 1024;
    std::uint64_t bigFile = 0;     // adds one file of this size to the first group
    int regional = 0;              // the first N groups live on a regional host
    int adult = 0;                 // the last N groups ask for the adult confirmation
    int membersOnly = 0;           // the N groups after the regional ones are members-only
    std::string name = "SimGroup"; // group names are name + 1, name + 2, ...
    std::string user = "simuser";
    std::string password = "simpass";
};

std::optional<GeneratorRecipe> ParseGeneratorRecipe(const std::string &text, QString *error);

SimData Generate(const GeneratorRecipe &recipe);

// Appends count messages to the group, numbered from the group's last number + 1
// (gaps included). Deterministic for a seed. otherGroups are named in bodies.
void GenerateMessages(SimGroup &group, int count, std::uint64_t seed, const GeneratorRecipe &style,
                      const std::vector<std::string> &otherGroups);

void GenerateFiles(SimGroup &group, int count, std::uint64_t size, std::uint64_t seed);

// Small deterministic random numbers (splitmix64), the same on every platform.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    int Below(int n) { return n <= 0 ? 0 : int(Next() % std::uint64_t(n)); }
    bool Percent(int p) { return Below(100) < p; }

private:
    std::uint64_t state_;
};

std::uint64_t MixSeed(std::uint64_t seed, const std::string &salt);

} // namespace brindle::groupsim
