#include "platform/updater/UpdateInstaller.h"

#include "platform/processes/ProgramIdentity.h"
#include "platform/updater/AppImageInstaller.h"
#include "platform/updater/DesktopPackageInstaller.h"

namespace quillmark {

std::unique_ptr<UpdateInstaller> UpdateInstaller::forProgram(const ProgramIdentity& program, OpenUrl openUrl) {
    if (program.runsFromAppImage())
        return std::make_unique<AppImageInstaller>(QString::fromStdString(program.appImage()->image));
    return std::make_unique<DesktopPackageInstaller>(std::move(openUrl));
}

std::unique_ptr<UpdateInstaller> UpdateInstaller::forThisProcess(OpenUrl openUrl) {
    return forProgram(ProgramIdentity::thisProcess(), std::move(openUrl));
}

}  // namespace quillmark
