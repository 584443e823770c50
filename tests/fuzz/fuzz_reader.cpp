// Fuzz target of the structure file reader. Every input must read without a
// crash or a read past a buffer, and whatever the reader made of it must
// survive a write and a second read unchanged: writing the model read from
// the written file gives the same bytes again.
#include "report/Protoc1.h"
#include "shell/AppContext.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "structure/StructureFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace zentrova;

namespace {

class SilentPrompts : public Prompts {
public:
    unsigned message(MsgType, const std::string&, unsigned buttons, int) override
    {
        return (buttons & MbCancel) ? MbCancel : (buttons & MbNo) ? MbNo : MbOK;
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

struct Harness {
    QTemporaryDir dir;
    SilentPrompts prompts;
    std::unique_ptr<AppContext> ctx;
};

Harness* harness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    harness = new Harness;
    // A program folder of its own: the reader never touches the real settings.
    const QString src = QStringLiteral(ZENTROVA_DATA_DIR);
    QDirIterator it(src, QDir::Files);
    while (it.hasNext()) {
        const QString f = it.next();
        QFile::copy(f, harness->dir.path() + u'/' + QFileInfo(f).fileName());
    }
    harness->ctx = std::make_unique<AppContext>(harness->dir.path(), harness->prompts);
    AppContext& c = *harness->ctx;
    if (!c.language.LoadLanguageList(c) || !LoadInterfaceTexts(c) || !LoadReportTexts(c)) {
        std::fprintf(stderr, "fuzz_reader: the language files did not load\n");
        std::abort();
    }
    ApplyFamilyProfile(c);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AppContext& ctx = *harness->ctx;
    NullProgress progress;
    StructureView view;
    TProtocol pages;
    FileEnv env{ctx, pages, progress, view};

    const ReadResult first = LoadStructure(env, std::string_view(reinterpret_cast<const char*>(data), size));
    if (first.outcome != ReadOutcome::Read)
        return 0;
    const std::string written = ComposeStructureFile(ctx, pages);

    TProtocol again;
    FileEnv env2{ctx, again, progress, view};
    const ReadResult second = LoadStructure(env2, written);
    const std::string rewritten = ComposeStructureFile(ctx, again);
    if (second.outcome != ReadOutcome::Read || rewritten != written) {
        std::fprintf(stderr, "fuzz_reader: a written file does not read back as written\n");
        std::abort();
    }
    return 0;
}
