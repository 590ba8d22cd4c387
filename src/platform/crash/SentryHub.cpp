#include "platform/crash/SentryHub.h"

#include "log/SystemLog.h"
#include "platform/crash/AppHangWatchdog.h"
#include "platform/crash/CrashFileWriter.h"
#include "platform/crash/CrashSignalHandler.h"
#include "platform/crash/EnvelopeSender.h"
#include "platform/crash/MainThreadSampler.h"

#include <QTimer>

#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace quillmark {

namespace {

constexpr std::chrono::milliseconds kHeartbeatInterval{250};
constexpr std::chrono::milliseconds kWatchdogInterval{100};

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<SentryHub> SentryHub::start(SentryOptions options, std::optional<CrashStore> store,
                                            std::function<bool()> hangTrackingPaused) {
    if (!options.dsn) return nullptr;
    auto dsn = SentryDsn::parse(*options.dsn);
    if (!dsn) {
        SystemLog::write("SentrySDK: the DSN is not a usable HTTPS address; crash reporting is off");
        return nullptr;
    }
    if (!store) {
        SystemLog::write("SentrySDK: this account has no home directory to keep crash records in; crash reporting is "
                         "off");
        return nullptr;
    }
    auto run = store->createRun();
    if (!run) {
        SystemLog::write("SentrySDK: cannot create " + store->root().string() + "; crash reporting is off");
        return nullptr;
    }
    std::unique_ptr<SentryHub> hub(new SentryHub(std::move(options), std::move(*dsn), std::move(*store), *run));
    hub->startHangTracking(std::move(hangTrackingPaused));
    hub->sender_->sendPending();
    return hub;
}

SentryHub::SentryHub(SentryOptions options, SentryDsn dsn, CrashStore store, std::filesystem::path run)
    : options_(std::move(options)), dsn_(std::move(dsn)), store_(std::move(store)), run_(std::move(run)),
      mainThreadId_(static_cast<std::int64_t>(::syscall(SYS_gettid))),
      sender_(std::make_unique<EnvelopeSender>(store_, dsn_, options_)) {
    images_.refresh();
    CrashSignalHandler::install((run_ / "pending.crash").string(), headerLines(), images_, breadcrumbs_);
    MainThreadSampler::install();
}

SentryHub::~SentryHub() {
    CrashSignalHandler::uninstall();
    watchdog_.reset();
    MainThreadSampler::uninstall();
    heartbeat_.reset();
    sender_.reset();
    std::error_code error;
    std::filesystem::remove(run_, error);  // only when nothing was left in it
}

std::string SentryHub::headerLines() const {
    std::string lines;
    if (options_.releaseName) lines += "release " + oneLine(*options_.releaseName) + "\n";
    if (options_.environment) lines += "environment " + oneLine(*options_.environment) + "\n";
    // The operating system and its version are all a report says of the machine.
    utsname system{};
    if (::uname(&system) == 0) {
        lines += "os_name " + oneLine(system.sysname) + "\n";
        lines += "os_version " + oneLine(system.release) + "\n";
    }
    return lines;
}

void SentryHub::startHangTracking(std::function<bool()> paused) {
    AppHangWatchdog::Hooks hooks;
    hooks.paused = std::move(paused);
    hooks.onHang = [this](std::chrono::steady_clock::duration blocked) { recordHang(blocked); };
    hooks.tick = [this] { images_.refreshIfChanged(); };
    watchdog_ = std::make_unique<AppHangWatchdog>(hangThreshold, kWatchdogInterval, std::move(hooks));
    heartbeat_ = std::make_unique<QTimer>();
    heartbeat_->setInterval(kHeartbeatInterval);
    QObject::connect(heartbeat_.get(), &QTimer::timeout, [watchdog = watchdog_.get()] { watchdog->beat(); });
    heartbeat_->start();
}

// On the watchdog's thread. The blocked main thread is asked for its stack; when it does not answer in
// time the record holds the watchdog's own account, without a stack.
void SentryHub::recordHang(std::chrono::steady_clock::duration blocked) {
    const std::vector<void*> frames = MainThreadSampler::sample();
    const std::string name = "hang-" + std::to_string(++hangCount_) + ".crash";
    CrashFileWriter::Record record;
    record.kind = "hang";
    record.threadId = mainThreadId_;
    record.hangMilliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(blocked).count();
    const std::string header = headerLines();
    record.header = header.c_str();
    record.frames = frames.data();
    record.frameCount = frames.size();
    const std::string path = (run_ / name).string();
    if (!CrashFileWriter::write(path.c_str(), (path + ".tmp").c_str(), record, images_, breadcrumbs_)) return;
    // Sent once the main thread runs again.
    QMetaObject::invokeMethod(
        sender_.get(), [sender = sender_.get()] { sender->sendPending(); }, Qt::QueuedConnection);
}

void SentryHub::addBreadcrumb(const SentryBreadcrumb& breadcrumb) {
    auto crumb = std::make_shared<SentryBreadcrumb>(breadcrumb);
    if (crumb->timestamp == 0) crumb->timestamp = nowSeconds();
    if (options_.beforeBreadcrumb) crumb = options_.beforeBreadcrumb(crumb);
    // A text that is not UTF-8 (a path in another encoding) is kept with U+FFFD rather than thrown on.
    if (crumb) breadcrumbs_.add(crumb->toJson().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace quillmark
