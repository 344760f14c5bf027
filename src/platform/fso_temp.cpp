// clsFSO: random numbers and temporary names.
#include <chrono>

#include "base/strings.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/fso.h"

namespace kestrel {

clsFSO::clsFSO(Context& ctx)
    : m_ctx(ctx),
      m_random(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
}

float clsFSO::Rnd2(float low, float high) {
    // Reseeded from the clock each time, mixed with the last draw so that two calls within
    // one clock tick still differ.
    std::seed_seq seed{static_cast<uint32_t>(m_random()), m_ctx.os.clock.Milliseconds(),
                       static_cast<uint32_t>(m_ctx.os.clock.UnixSeconds())};
    m_random.seed(seed);
    const double fraction = static_cast<double>(m_random()) / 4294967296.0;
    const float value = static_cast<float>(low + (high - low) * fraction);
    return value < high ? value : low;
}

std::string clsFSO::Create_Tmp_Name(int length) {
    if (length < 1) {
        return {};
    }
    std::string name = "_";
    while (static_cast<int>(name.size()) < length) {
        int code = static_cast<int>(Rnd2(48, 122));
        if ((code >= 58 && code <= 64) || (code >= 91 && code <= 96)) {
            code += 7;
        }
        name.insert(name.begin(), static_cast<char>(code));
    }
    return LCase(name);
}

std::string clsFSO::TempFolderOrDefault() {
    std::string folder = Remove_Nulls(m_ctx.os.files.TempFolder());
    if (folder.empty()) {
        return "C:\\";
    }
    return folder.back() == '\\' ? folder : folder + "\\";
}

std::string clsFSO::Create_Tmp_Filename() {
    std::string folder;
    return Create_Tmp_Filename(folder);
}

std::string clsFSO::Create_Tmp_Filename(std::string& folder) {
    if (folder.empty()) {
        folder = TempFolderOrDefault();
    }
    std::string path;
    uint32_t error = 0;
    {
        RedirectionOff off(m_ctx.redirection);
        error = m_ctx.os.files.CreateTempFile(folder, Create_Tmp_Name(4), path);
    }
    if (error != 0) {
        m_ctx.debug.Error("clsFSO\\Create_Tmp_Filename - VB ERROR: ", FileError(error),
                          {"\t- strFolder=" + folder});
        return {};
    }
    m_ctx.debug.Print("clsFSO\\Create_Tmp_Filename: " + path);
    return path;
}

std::string clsFSO::Create_Tmp_Folder() {
    const std::string folder = TempFolderOrDefault() + Create_Tmp_Name(8);
    if (!DoesDirExist(m_ctx, folder)) {
        uint32_t error = 0;
        {
            RedirectionOff off(m_ctx.redirection);
            error = m_ctx.os.files.CreateFolder(folder);
        }
        if (error != 0) {
            m_ctx.debug.Error("clsFSO\\Create_Tmp_Folder - VB ERROR: ", FileError(error),
                              {"\t- strFolder=" + folder});
            return {};
        }
    }
    m_ctx.debug.Print("clsFSO\\Create_Tmp_Folder: " + folder + "\\");
    return folder + "\\";
}

}  // namespace kestrel
