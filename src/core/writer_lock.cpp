#include "core/writer_lock.h"

#include <thread>

namespace juanzhi {

using platform::FileError;

platform::OpenResult openForWriting(const ByteText& path, platform::Access access,
                                    std::chrono::milliseconds patience) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds Pause{10};
    const auto deadline = Clock::now() + patience;
    while (true) {
        auto opened = platform::openFile(path, access, platform::Creation::MustExist);
        if (!opened.file) {
            return opened;
        }
        const FileError locked = opened.file->tryLock();
        if (locked == FileError::None) {
            const auto held = opened.file->identity();
            if (held && held == platform::fileIdentity(path)) {
                return opened;
            }
        } else if (locked != FileError::Busy) {
            return {std::nullopt, locked};
        }
        if (Clock::now() >= deadline) {
            return {std::nullopt, FileError::Busy};
        }
        if (locked == FileError::Busy) {
            std::this_thread::sleep_for(Pause);
        }
    }
}

}  // namespace juanzhi
