#pragma once

#include "groupsim/sim_data.h"
#include "groupsim/sim_http.h"

#include <cstdint>
#include <string>

namespace brindle::groupsim {

// The address under which the file store host serves a group's file:
// "http://" FILE_STORE_HOST "/v1/<token>/<group>/<path, percent-encoded>".
std::string FileStoreUrl(const SimGroup &group, const std::string &path);

// Bytes [offset, offset + size) of the content generated for a seed. Any range of a
// file of any size can be produced without producing what comes before it.
void FillFileBytes(std::uint64_t seed, std::uint64_t offset, char *out, std::size_t size);

// Answers requests on the file store host: the file's bytes with their length,
// generated while they are sent.
class FileStore {
public:
    explicit FileStore(const SimData &data) : data_(data) {}
    SimResponse Handle(const SimRequest &request) const;

private:
    const SimData &data_;
};

} // namespace brindle::groupsim
