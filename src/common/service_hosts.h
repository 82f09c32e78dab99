#pragma once

// Host names of the service. Every other file takes them from here.
namespace brindle::hosts {

inline constexpr const char GROUP_HOST[] = "groups.yahoo.com";
inline constexpr const char PHOTO_HOST[] = "photos.groups.yahoo.com";
inline constexpr const char PH_HOST[] = "ph.groups.yahoo.com";
inline constexpr const char LOGIN_HOST[] = "login.yahoo.com";
inline constexpr const char FILE_STORE_HOST[] = "f1.grp.yahoofs.com";
inline constexpr const char IMAGE_HOST[] = "xa.yimg.com";
inline constexpr const char GROUP_MAIL_DOMAIN[] = "yahoogroups.com";
inline constexpr const char MAKER_SITE[] = "www.marrowsoft.example";

} // namespace brindle::hosts
