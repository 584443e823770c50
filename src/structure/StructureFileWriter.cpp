// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The structure file writer, the Save As dialog loop and the save question.
#include "structure/StructureFile.h"

#include "base/Progress.h"
#include "base/TextRules.h"
#include "language/ReplaceQuestion.h"
#include "report/ReportPages.h"
#include "structure/StructureContext.h"

namespace zentrova {

namespace sf = structure_file;

int32_t resultsSeal(uint8_t familyCode, std::string_view serialLine)
{
    // Unsigned arithmetic gives the 32-bit wrap-around without overflow.
    uint32_t s = (uint32_t(familyCode) + 7u) * uint32_t(SealMultiplier) + 13u + familyCode;
    uint32_t j = 1;
    for (unsigned char c : serialLine)
        s += j++ * uint32_t(c);
    return int32_t(s);
}

int32_t resultsSeal(const Document& document)
{
    const std::string& instrument = document.structure.table.identification(IdentificationColumn::Instrument);
    return resultsSeal(document.familyCode, nthLineView(instrument, SerialNumberLine));
}

namespace {

// One value per line, CR LF after each. Values that the format keeps on one
// line never carry a line feed into the file: it would split the line and
// shift everything after it.
class LineWriter {
public:
    explicit LineWriter(std::string& out) : out_(out) {}

    void raw(std::string_view s)
    {
        out_.append(s);
        out_.append("\r\n");
    }
    // A text value (heading, comment, page text): written as it is, except
    // that a line feed becomes a space.
    void text(std::string_view s)
    {
        for (char c : s)
            out_.push_back(c == '\n' ? ' ' : c);
        out_.append("\r\n");
    }
    // A result or report table cell: CR is stored as code 2; line feeds carry
    // no meaning in cells and are left out.
    void cell(std::string_view s)
    {
        appendStored(s, false);
        out_.append("\r\n");
    }
    // A line of the comment blocks: a text equal to a marker the reader stops
    // at there would end the block early and shift every following line, so
    // it gets a space after it.
    void commentLine(std::string_view s, bool comments2Ends)
    {
        if (s == sf::StructureData || (comments2Ends && s == sf::Comments2)) {
            std::string guarded(s);
            guarded.push_back(' ');
            text(guarded);
        } else {
            text(s);
        }
    }
    void number(long long v) { raw(std::to_string(v)); }
    void empty(int n)
    {
        for (int i = 0; i < n; ++i)
            out_.append("\r\n");
    }
    // Element line: name, kind, number and selection separated by TAB. A TAB
    // inside the name or selection becomes a space, so the line keeps its
    // four fields.
    void element(const ElementNode& n)
    {
        appendStored(n.name, true);
        out_.push_back('\t');
        out_.append(std::to_string(unsigned(n.info.kind)));
        out_.push_back('\t');
        out_.append(std::to_string(n.info.number));
        out_.push_back('\t');
        appendStored(n.info.selection, true);
        out_.append("\r\n");
    }

private:
    void appendStored(std::string_view s, bool field)
    {
        for (char c : s) {
            if (c == '\r')
                out_.push_back('\x02');
            else if (c == '\n')
                continue;
            else if (field && c == '\t')
                out_.push_back(' ');
            else
                out_.push_back(c);
        }
    }
    std::string& out_;
};

// Moves the gauge only when the percentage changes: letting the window
// repaint for every one of thousands of lines would cost more than writing.
class Gauge {
public:
    explicit Gauge(Progress* p) : p_(p) {}
    void set(long long done, long long total)
    {
        if (!p_)
            return;
        const int percent = int((done * 100 + std::max(total, 1LL) / 2) / std::max(total, 1LL));
        if (percent == last_)
            return;
        last_ = percent;
        p_->setPosition(percent);
    }
    void reset() { last_ = -1; }

private:
    Progress* p_;
    int last_ = -1;
};

void writeTable(LineWriter& w, const ReportTable* t)
{
    static const ReportTable none(0, 0);
    if (!t)
        t = &none;
    w.text(t->objectName);
    w.text(t->blockName);
    w.number(t->rowCount());
    w.number(t->colCount());
    const ReportTableTexts* sub = subDataOf(*t);
    w.text(sub ? sub->text1 : std::string());
    w.text(sub ? sub->text2 : std::string());
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->colCount(); ++c)
            w.cell(t->cell(c, r));
}

void writePageRecord(LineWriter& w, const ReportPages& pages, int i)
{
    const ReportPageEntry& e = pages.entry(i);
    w.empty(25);
    w.raw(sf::ProtocolData);
    w.number(e.kind);
    w.number(e.index);
    if (e.kind == ReportBlockTables || e.kind == ReportLightningTables) {
        const ReportTables* t = pages.tablesOfEntry(i);
        writeTable(w, t ? t->a.get() : nullptr);
        writeTable(w, t ? t->b.get() : nullptr);
        return;
    }
    const ReportPage* p = pages.pageOfEntry(i);
    if (!p)
        return;
    w.text(p->objectName);
    if (e.kind != ReportObject)
        w.text(p->blockName);
    for (int n = 1; n <= p->editCount(); ++n)
        w.text(p->edit(n));
    if (e.kind == ReportDistributionBlock || e.kind == ReportLightningProtection)
        w.raw(p->checkString());
    if (e.kind == ReportFloorPlan)
        w.text(static_cast<const FloorPlanPage*>(p)->imagePath());
}

} // namespace

std::string composeStructureFile(const LanguageContext& language, const Document& document, Progress* progress)
{
    const ResultTable& table = document.structure.table;
    std::string out;
    // Lines average well under 40 bytes; one reservation avoids most regrowth.
    out.reserve(8192 + size_t(table.rowCount()) * ResultTable::ColumnCount * 24 + document.structure.tree.count() * 32);
    LineWriter w(out);

    // The fixed header: 247 lines, then "*** STRUCTURE DATA" on line 248.
    w.raw(sf::Magic);
    w.number(document.familyCode);
    const PrintoutHeading& h = document.heading;
    for (const auto& s : h.op)
        w.text(s);
    for (const auto& s : h.footer)
        w.text(s);
    for (const auto& s : h.site)
        w.text(s);
    w.text(h.logo);
    w.number(uint8_t(h.logoMode));
    const Comments& c = document.comments;
    for (int i = 0; i < 20; ++i)
        w.commentLine(c.lines[size_t(i)], true);
    w.empty(1);
    for (const auto& s : c.autotest)
        w.commentLine(s, true);
    w.empty(1);
    w.commentLine(c.checks, true);
    w.empty(5);
    w.raw(sf::Comments2);
    // The full block, read last, ends only at "*** STRUCTURE DATA": a comment
    // reading "*** COMMENTS2" comes back exactly from here.
    for (const auto& s : c.lines)
        w.commentLine(s, false);
    w.raw(sf::StructureData);
    w.number(resultsSeal(document));

    if (progress) {
        progress->show(std::string(), language.texts.text("Wait_25"), false);
        progress->setLine2(language.encode(document.fileName));
        progress->setPosition(0);
    }
    Gauge gauge(progress);

    const long long nodes = (long long)document.structure.tree.count();
    long long i = 0;
    document.structure.tree.forEach([&](ElementNode& n) {
        w.element(n);
        gauge.set(i++, std::max(nodes - 1, 1LL));
    });

    w.empty(25);
    w.raw(sf::TableData);
    w.number(table.rowCount());
    w.number(ResultTable::ColumnCount);
    gauge.reset();
    for (int r = 0; r < table.rowCount(); ++r) {
        for (const std::string& cell : table.row(r))
            w.cell(cell);
        gauge.set(r, std::max(table.rowCount() - 1, 1));
    }

    const ReportPages& pages = document.reportPages;
    for (int e = 1; e <= pages.count(); ++e)
        writePageRecord(w, pages, e);

    w.empty(25);
    w.raw(sf::EndMarker);
    return out;
}

bool writeStructureFile(FileEnv& env)
{
    StructureContext& ctx = env.ctx;
    QString error;
    bool ok = false;
    const bool ran = env.runner.run([&] {
        const std::string bytes = composeStructureFile(ctx.language, ctx.document, &env.progress);
        ok = writeFileSafely(ctx.document.fileName, bytes, &error);
        env.progress.hide();
    });
    if (!ran) {
        // The runner told why; the file on disk is as it was.
        env.progress.hide();
        return false;
    }
    if (!ok) {
        ctx.language.prompts->message(
            MsgType::Error, ctx.language.encode(ctx.document.fileName) + "\r" + ctx.language.encode(error), MbOK);
        return false;
    }
    ctx.document.saved = true;
    return true;
}

namespace {

// True when the file-name part of `path` (not its folders) has a ".".
bool fileNameHasDot(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.indexOf(u'.', slash + 1) >= 0;
}

} // namespace

FileDialogRequest structureDialog(const StructureContext& ctx, const char* titleKey)
{
    FileDialogRequest r;
    r.title = ctx.language.texts.text(titleKey);
    r.filterName = ctx.language.texts.text("StructFiles_13");
    r.pattern = QStringLiteral("*.") + ctx.language.decode(ctx.language.texts.extension);
    // A name with a dot keeps its own extension, so a structure may be kept
    // under any name: the dialogs must be able to show every file.
    r.allFilesName = ctx.language.texts.text("AllFiles_13");
    return r;
}

namespace {

bool isDefaultName(const StructureContext& ctx)
{
    return !hasOwnFileName(ctx);
}

} // namespace

bool hasOwnFileName(const StructureContext& ctx)
{
    return !ctx.document.fileName.isEmpty() &&
           ctx.document.fileName != ctx.language.decode(ctx.language.texts.defaultFileName);
}

bool saveStructureAs(FileEnv& env, const QString& proposed)
{
    StructureContext& ctx = env.ctx;
    FileDialogRequest request = structureDialog(ctx, "SaveAs_30");
    request.proposedName = proposed;
    for (;;) {
        const std::optional<QString> chosen = ctx.language.prompts->saveFileName(request);
        if (!chosen || chosen->isEmpty())
            return false;
        QString name = *chosen;
        if (!fileNameHasDot(name))
            name += u'.' + ctx.language.decode(ctx.language.texts.extension);
        if (canBeRead(name)) {
            const unsigned answer = askToReplace(ctx.language, name);
            env.view.updateMainCaption();
            if (answer == MbCancel)
                return false;
            if (answer != MbYes) {
                request.proposedName = name;
                continue;
            }
        }
        // The structure takes the new name only once it was written there:
        // after a failed write Save still means the file it came from.
        const QString previous = ctx.document.fileName;
        ctx.document.fileName = name;
        env.view.updateMainCaption();
        if (writeStructureFile(env))
            return true;
        ctx.document.fileName = previous;
        env.view.updateMainCaption();
        return false;
    }
}

unsigned querySaveChanges(FileEnv& env)
{
    StructureContext& ctx = env.ctx;
    unsigned result = MbYes;
    if (ctx.document.structure.table.rowCount() <= 1 && ctx.document.structure.tree.count() <= 1)
        return result; // nothing to lose
    while (!ctx.document.saved && result != MbNo) {
        // The question mark is part of the text; the file's name goes below it.
        std::string text = ctx.language.texts.text("SaveResults_30");
        if (!isDefaultName(ctx))
            text += "\r" + ctx.language.encode(ctx.document.fileName);
        result = ctx.language.prompts->message(MsgType::Confirmation, text, MbYes | MbNo | MbCancel, 1);
        if (result != MbYes && result != MbNo)
            return MbCancel; // Cancel, or the box was closed
        if (result == MbYes) {
            if (isDefaultName(ctx))
                saveStructureAs(env, ctx.document.fileName);
            else
                writeStructureFile(env);
        }
    }
    return result;
}

} // namespace zentrova
