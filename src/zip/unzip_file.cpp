#include "zip/unzip_file.h"

#include <exception>
#include <string>

#include "base/error_line.h"
#include "base/strip.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "zip/seven_zip.h"
#include "zip/zip_extraction.h"

namespace kestrel {
namespace {

constexpr const char* kHead = "modZip\\UnzipFile:  ";

// The reader's texts: status lines go to the window's label while it is shown, errors to the
// debug log.
class UnzipEvents : public ZipEvents {
public:
    UnzipEvents(Context& ctx, StatusWindow* window) : m_ctx(ctx), m_window(window) {}

    void Status(const std::string& text) override {
        if (m_window != nullptr && m_window->Loaded()) {
            m_window->SetText(text);
        }
    }
    void ZipError(int32_t number, const std::string& description) override {
        m_ctx.debug.Print(kHead + std::string("ZipError ") + std::to_string(number) + ":  " +
                          description);
    }

private:
    Context& m_ctx;
    StatusWindow* m_window;
};

// Unloads the window however the unpacking ends.
class UnloadAtEnd {
public:
    explicit UnloadAtEnd(StatusWindow& window) : m_window(window) {}
    ~UnloadAtEnd() {
        if (m_window.Loaded()) {
            m_window.Unload();
        }
    }
    UnloadAtEnd(const UnloadAtEnd&) = delete;
    UnloadAtEnd& operator=(const UnloadAtEnd&) = delete;

private:
    StatusWindow& m_window;
};

struct ReaderOutcome {
    bool extracted = false;
    bool refusedUnsafe = false;
};

// The internal reader; any unexpected failure counts as a failed extraction.
ReaderOutcome ExtractWithReader(Context& ctx, const std::string& zipFile,
                                const std::string& destFolder, UnzipEvents& events) {
    ReaderOutcome outcome;
    try {
        ZipExtractionClass zip(ctx, events);
        if (zip.OpenZip(zipFile)) {
            outcome.extracted = zip.Extract(destFolder, true, true);
            zip.CloseZip();
        }
        outcome.refusedUnsafe = zip.RefusedUnsafe();
    } catch (const std::exception& e) {
        ctx.debug.Print(kHead + ExceptionError(e).description);
        outcome.extracted = false;
    } catch (...) {
        ctx.debug.Print(kHead + UnknownExceptionError().description);
        outcome.extracted = false;
    }
    return outcome;
}

}  // namespace

bool UnzipFile(Context& ctx, const std::string& sZipFile, const std::string& sDestFolder,
               bool bHidden, StatusWindow& window) {
    const UnloadAtEnd unload(window);
    try {
        if (!bHidden) {
            window.Show("Extracting " + StripPath(sZipFile));
        }
        if (!DoesDirExist(ctx, sDestFolder)) {
            // A folder that cannot be made is reported by the reader (ZipError 13).
            (void)MakeFolderPath(ctx, sDestFolder);
        }
        // zlib is linked into the program, so there is no library to put in place first.

        UnzipEvents events(ctx, bHidden ? nullptr : &window);
        const ReaderOutcome reader = ExtractWithReader(ctx, sZipFile, sDestFolder, events);
        if (reader.extracted) {
            return true;
        }
        if (reader.refusedUnsafe) {
            ctx.debug.Print(kHead +
                            std::string("The archive holds an unsafe entry; it is not "
                                        "handed to 7-Zip.  ") +
                            sZipFile);
            return false;
        }
        return UnzipWith7z(ctx, sZipFile, sDestFolder);
    } catch (const std::exception& e) {
        ctx.debug.Print(kHead + ExceptionError(e).description);
        return false;
    } catch (...) {
        ctx.debug.Print(kHead + UnknownExceptionError().description);
        return false;
    }
}

}  // namespace kestrel
