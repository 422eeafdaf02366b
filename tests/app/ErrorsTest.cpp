#include "controls/Errors.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// Every failure that a copy, a rename or a delete can meet on a local disk, a card
// through FUSE or a network share is told in words, never as a bare number.
TEST(ErrorsTest, EveryErrnoTheDiskCanGiveHasAFrenchReason) {
    for (const int error :
         {ENOSYS, EOPNOTSUPP, EXDEV,  EIO,    EDQUOT,    ENAMETOOLONG, ETXTBSY,   ESTALE, ENOSPC,
          EROFS,  EACCES,     EPERM,  ENOENT, ENOTDIR,   EISDIR,       ENOTEMPTY, EBUSY,  ELOOP,
          EMLINK, EINVAL,     EEXIST, EFBIG,  EOVERFLOW, ENOTCONN,     ENODEV,    ENXIO,  ETIMEDOUT,
          EAGAIN, EINTR,      EBADF,  EMFILE, ENFILE,    ENOMEM}) {
        const std::string reason = frenchReason(error);
        EXPECT_EQ(reason.find("erreur système"), std::string::npos) << error << " " << reason;
    }
    EXPECT_EQ(frenchReason(ENOSYS), "opération non prise en charge par ce support");
}

} // namespace
} // namespace quorvel
