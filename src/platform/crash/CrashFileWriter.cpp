#include "platform/crash/CrashFileWriter.h"

#include "platform/crash/BreadcrumbRing.h"
#include "platform/crash/LoadedImages.h"
#include "platform/crash/SignalSafeWriter.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace quillmark {

bool CrashFileWriter::write(const char* path, const char* temporaryPath, const Record& record,
                            const LoadedImages& images, const BreadcrumbRing& breadcrumbs) noexcept {
    const int fd = ::open(temporaryPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    bool failed = false;
    {
        SignalSafeWriter out(fd);
        out.text("quillmark-crash 1\nkind ").text(record.kind).put('\n');
        out.text("time ").decimal(now.tv_sec).put(' ').decimal(now.tv_nsec).put('\n');
        out.text("signal ").decimal(record.signal).put('\n');
        out.text("code ").decimal(record.code).put('\n');
        out.text("address ").hex(record.faultAddress).put('\n');
        out.text("thread ").decimal(record.threadId).put('\n');
        out.text("hang_ms ").decimal(record.hangMilliseconds).put('\n');
        out.text(record.header);
        for (std::size_t i = 0; i < record.frameCount; ++i)
            out.text("frame ").hex(reinterpret_cast<std::uintptr_t>(record.frames[i])).put('\n');
        images.writeTo(out);
        breadcrumbs.writeTo(out);
        out.text("end\n");
        out.flush();
        failed = out.failed();
    }
    ::close(fd);
    if (failed || ::rename(temporaryPath, path) != 0) {
        ::unlink(temporaryPath);
        return false;
    }
    return true;
}

}  // namespace quillmark
