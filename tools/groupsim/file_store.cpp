#include "groupsim/file_store.h"

#include "common/service_hosts.h"
#include "groupsim/data_generator.h"
#include "groupsim/html_page.h"

#include <QCryptographicHash>
#include <QMimeDatabase>

#include <cstring>

namespace brindle::groupsim {

namespace {

std::string Token(const SimGroup &group)
{
    return QCryptographicHash::hash(QByteArray::fromStdString("store/" + group.name), QCryptographicHash::Sha1)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        .left(20)
        .toStdString();
}

std::uint64_t BlockWord(std::uint64_t seed, std::uint64_t block)
{
    return SimRandom(seed ^ (block * 0xD6E8FEB86659FD93ULL)).Next();
}

std::string MimeTypeOf(const std::string &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchExtension);
    return type.isDefault() ? std::string("application/octet-stream") : type.name().toStdString();
}

} // namespace

std::string FileStoreUrl(const SimGroup &group, const std::string &path)
{
    return "http://" + std::string(hosts::FILE_STORE_HOST) + "/v1/" + Token(group) + "/" + group.name
        + UrlEncode(path, "/");
}

void FillFileBytes(std::uint64_t seed, std::uint64_t offset, char *out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const std::uint64_t position = offset + done;
        const std::uint64_t word = BlockWord(seed, position / 8);
        const unsigned shift = unsigned(position % 8);
        const std::size_t take = std::min<std::size_t>(8 - shift, size - done);
        for (std::size_t i = 0; i < take; ++i)
            out[done + i] = char((word >> (8 * (shift + i))) & 0xFF);
        done += take;
    }
}

SimResponse FileStore::Handle(const SimRequest &request) const
{
    // /v1/<token>/<group>/<path>
    std::size_t at = request.path.find('/', 1);
    at = at == std::string::npos ? at : request.path.find('/', at + 1);
    const std::size_t groupEnd = at == std::string::npos ? at : request.path.find('/', at + 1);
    if (!StartsWith(request.path, "/v1/") || groupEnd == std::string::npos)
        return SimResponse::Html(ErrorPage(404, "No such file."), 404);
    const SimGroup *group = data_.Group(request.path.substr(at + 1, groupEnd - at - 1));
    const SimFile *file = group ? group->File(request.path.substr(groupEnd)) : nullptr;
    if (!file)
        return SimResponse::Html(ErrorPage(404, "No such file."), 404);
    SimResponse r;
    r.contentType = MimeTypeOf(file->path);
    if (file->hasText) {
        r.body = file->text;
        return r;
    }
    const std::uint64_t seed = file->seed;
    r.generatedSize = file->size;
    r.generator = [seed](std::uint64_t offset, char *out, std::size_t size) { FillFileBytes(seed, offset, out, size); };
    return r;
}

} // namespace brindle::groupsim
