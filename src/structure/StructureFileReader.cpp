// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The structure file reader: both versions of the format, moving from
// section to section by marker lines except in the fixed header.
#include "structure/StructureFile.h"

#include "base/FileIO.h"
#include "base/Logging.h"
#include "base/Progress.h"
#include "base/TextRules.h"
#include "language/Profile.h"
#include "report/ReportPages.h"
#include "structure/StructureContext.h"

#include <algorithm>
#include <vector>

namespace zentrova {

namespace sf = structure_file;

namespace {

// The file's lines, split once. A line ends at LF; a CR right before the LF
// (or before the end of the file) belongs to the line end. Reading past the
// last line gives empty lines.
class Lines {
public:
    explicit Lines(std::string_view bytes)
    {
        lines_.reserve(size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
            if (end == std::string_view::npos)
                end = bytes.size();
            size_t len = end - start;
            if (len > 0 && bytes[start + len - 1] == '\r')
                --len;
            lines_.push_back(bytes.substr(start, len));
            start = next;
        }
        lastLineEnded_ = !bytes.empty() && bytes.back() == '\n';
    }

    bool atEnd() const { return pos_ >= lines_.size(); }
    std::string_view next() { return atEnd() ? std::string_view() : lines_[pos_++]; }
    size_t remaining() const { return lines_.size() - std::min(pos_, lines_.size()); }
    // The line read last was the file's last line and had no line end: the
    // file was cut inside it.
    bool cutInLastLine() const { return atEnd() && !lastLineEnded_; }
    // 1-based number of the line read last.
    size_t lineNumber() const { return pos_; }
    // Lines from here up to (not including) the first `marker`, or to the end.
    size_t countUntil(std::string_view marker) const
    {
        size_t n = 0;
        for (size_t i = pos_; i < lines_.size() && lines_[i] != marker; ++i)
            ++n;
        return n;
    }

private:
    std::vector<std::string_view> lines_;
    size_t pos_ = 0;
    bool lastLineEnded_ = true;
};

// Cells and element lines store a line break as code 2.
std::string unstore(std::string_view s)
{
    std::string out(s);
    std::replace(out.begin(), out.end(), '\x02', '\r');
    return out;
}

// A whole line that is a 32-bit integer: blanks around it, an optional sign,
// decimal digits and nothing else.
bool parseInteger(std::string_view s, int32_t& value)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(INT32_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = int32_t(v);
    return true;
}

// The stored seal: every digit of the line, negative when the line starts
// with "-". The writer writes the seal as a signed decimal, so a seal that
// wrapped below zero or has ten digits reads back as written.
int64_t sealValue(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    const bool negative = !s.empty() && s.front() == '-';
    int64_t v = 0;
    for (char c : s)
        if (c >= '0' && c <= '9' && v < (int64_t(1) << 40))
            v = v * 10 + (c - '0');
    return negative ? -v : v;
}

bool isMagicLine(std::string_view line)
{
    return line == sf::Magic || line == sf::MagicV10;
}

std::string shown(std::string_view line)
{
    std::string s(line.substr(0, 40));
    for (char& c : s)
        if ((unsigned char)c < 32)
            c = ' ';
    return s;
}

class Reader {
public:
    Reader(const LanguageContext& language, Document& document, Progress& progress, std::string_view bytes,
           const std::string& fileName)
        : lang_(language), doc_(document), progress_(progress), in_(bytes), fileName_(fileName)
    {
    }

    ReadResult run();

private:
    bool isMarker() const { return cur_ == sf::StructureData || cur_ == sf::Comments2; }
    std::string_view read() { return cur_ = in_.next(); }
    std::string text() { return std::string(in_.next()); }
    // Reads lines until one of the markers; "*** KONEC" or the end of the
    // file sets the end flag instead.
    void seek(bool anyMarker);
    void readHeader(bool v11);
    void readElements();
    void readTable();
    void readPages();
    bool readPage(ReportKind kind, int32_t index);
    bool readTables(ReportKind kind, int32_t index);
    void damaged(const std::string& what);
    void gauge(long long done, long long total);

    const LanguageContext& lang_;
    Document& doc_;
    Progress& progress_;
    Lines in_;
    std::string fileName_;
    std::string_view cur_;
    bool end_ = false;
    int lastPercent_ = -1;
    ReadResult result_;
};

void Reader::gauge(long long done, long long total)
{
    total = std::max(total, 1LL);
    const int percent = int(std::min(100LL, (done * 100 + total / 2) / total));
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    progress_.setPosition(percent);
}

void Reader::damaged(const std::string& what)
{
    result_.outcome = ReadOutcome::Damaged;
    result_.message = fileName_ + "\r" + "Line " + std::to_string(in_.lineNumber()) + ": " + what;
}

void Reader::seek(bool anyMarker)
{
    for (;;) {
        if (in_.atEnd()) {
            end_ = true;
            return;
        }
        read();
        if (cur_ == sf::EndMarker) {
            end_ = true;
            return;
        }
        if (anyMarker ? isMarker() : cur_ == sf::StructureData)
            return;
    }
}

void Reader::readHeader(bool v11)
{
    PrintoutHeading& h = doc_.heading;
    h.op[0] = text();
    h.op[1] = text();
    h.op[2] = v11 ? text() : std::string();
    h.footer[0] = text();
    h.footer[1] = v11 ? text() : std::string();
    h.footer[2] = v11 ? text() : std::string();
    h.site[0] = text();
    h.site[1] = text();
    h.site[2] = v11 ? text() : std::string();
    h.logo = text();
    h.logoMode = uint8_t(digitsValue(read()));

    // Comment blocks end early at a marker: older files may have fewer lines.
    Comments& c = doc_.comments;
    for (auto& line : c.lines)
        line.clear();
    for (int i = 0; i < 20; ++i) {
        if (read(), isMarker())
            break;
        c.lines[size_t(i)] = std::string(cur_);
    }
    if (!isMarker() && (read(), !isMarker())) {
        for (int i = 0; i < Comments::AutotestCount; ++i) {
            if (read(), isMarker())
                break;
            c.autotest[size_t(i)] = std::string(cur_);
        }
    }
    c.checks = "101";
    if (!isMarker() && (read(), !isMarker())) {
        read();
        if (!isMarker() && cur_.size() >= 3)
            c.checks = std::string(cur_);
    }
    if (!isMarker())
        seek(true);
    if (!end_ && cur_ == sf::Comments2) {
        for (auto& line : c.lines) {
            if (read() == sf::StructureData)
                break;
            line = std::string(cur_);
        }
    }
    if (!end_ && cur_ != sf::StructureData)
        seek(false);
}

void Reader::readElements()
{
    const long long lineCount = std::max<long long>((long long)in_.countUntil(sf::TableData), 1);
    long long linesRead = 0;
    ElementNode* last = nullptr;
    int lastDepth = 0;
    const bool twoLevels = lang_.profile.positionDepth == 1;
    for (;;) {
        if (in_.atEnd()) {
            end_ = true;
            return;
        }
        read();
        ++linesRead;
        if (cur_.empty())
            continue;
        if (cur_ == sf::TableData)
            return;
        const std::string line = unstore(cur_);
        std::string_view fields[4];
        std::string_view rest = line;
        for (int f = 0; f < 4; ++f) {
            const size_t tab = rest.find('\t');
            fields[f] = rest.substr(0, tab);
            if (tab == std::string_view::npos) {
                rest = {};
                break;
            }
            rest.remove_prefix(tab + 1);
        }
        const uint8_t kind = uint8_t(digitsValue(fields[1]));
        // A kind past the known ones counts as level 3 (kindLevel), without image.
        int target = kindLevel(kind);
        if (twoLevels && target > 2)
            target = 2;
        ElementNode* parent = last;
        int depth = lastDepth;
        while (depth + 1 > target) {
            --depth;
            parent = (depth > 0 && parent) ? parent->parent() : nullptr;
        }
        ElementNode* node = addElementNode(doc_, parent);
        node->name = std::string(fields[0]);
        node->info.kind = kind;
        node->info.number = int32_t(digitsValue(fields[2]));
        node->info.selection = std::string(fields[3]);
        last = node;
        lastDepth = node->depth() + 1;
        gauge(linesRead, lineCount);
    }
}

void Reader::readTable()
{
    const long rows = digitsValue(read());
    const long cols = digitsValue(read());
    if (rows > sf::MaxTableRows || cols > sf::MaxTableColumns) {
        end_ = true;
        return;
    }
    ResultTable& t = doc_.structure.table;
    if (rows > t.rowCount())
        t.setRowCount(int(rows));
    lastPercent_ = -1;
    for (int r = 0; r < rows; ++r) {
        int cellsRead = 0;
        for (int c = 0; c < cols; ++c) {
            if (in_.atEnd())
                break;
            // Columns past the table's ten are read and passed over.
            std::string cell = unstore(read());
            ++cellsRead;
            if (c < ResultTable::ColumnCount)
                t.setCell(c, r, std::move(cell));
        }
        if (in_.atEnd()) {
            // The file ends inside the table: the rows it never reached are
            // not results, and a row it broke off is said to be cut short.
            const bool rowCut = cellsRead < cols || in_.cutInLastLine();
            const int rowsRead = cellsRead == 0 ? r : r + 1;
            t.setRowCount(std::max(rowsRead, 1));
            result_.lastResultCut = rowCut && cellsRead > 0 && r > 0;
            end_ = true;
            return;
        }
        gauge(r, std::max(t.rowCount() - 1, 1));
    }
}

bool Reader::readPage(ReportKind kind, int32_t index)
{
    ReportPage* p = doc_.reportPages.createPage(kind, index, lang_.reportLabels);
    if (!p)
        return false;
    p->objectName = text();
    if (kind != ReportObject)
        p->blockName = text();
    for (int n = 1; n <= p->editCount(); ++n)
        p->setEdit(n, text());
    if (kind == ReportDistributionBlock || kind == ReportLightningProtection)
        p->setCheckString(text());
    if (kind == ReportFloorPlan) {
        std::string path = text();
        const QString decoded = lang_.decode(path);
        static_cast<FloorPlanPage*>(p)->setImagePath(std::move(path), decoded);
    }
    return true;
}

bool Reader::readTables(ReportKind kind, int32_t index)
{
    ReportTables* pair = doc_.reportPages.createTables(kind, index, lang_.texts, reportTableFont());
    if (!pair)
        return false;
    for (int which = 0; which < 2; ++which) {
        ReportTable& t = *pair->table(which);
        t.objectName = text();
        t.blockName = text();
        const long rows = digitsValue(read());
        const long cols = digitsValue(read());
        std::string sub1 = text();
        std::string sub2 = text();
        if (rows > sf::MaxTableRows || cols > sf::MaxTableColumns) {
            damaged("report table of " + std::to_string(rows) + " x " + std::to_string(cols) +
                    " cells is larger than any table can be");
            return true;
        }
        // The table grows to the size it was stored with and never shrinks
        // below what a new table has: its heading and unit rows and every
        // column stay where the editor and the report expect them, and cells
        // the file does not give keep the new table's texts. A table whose
        // cells the file cannot hold (it ends inside the table) grows only by
        // the rows the remaining lines can fill.
        long haveRows = rows;
        if (rows > 0 && cols > 0 && (unsigned long long)rows * (unsigned long long)cols > in_.remaining())
            haveRows = long(in_.remaining() / size_t(cols)) + 1;
        if (rows > 0 && cols > 0)
            ensureTableSize(t, int(haveRows), int(cols));
        if (ReportTableTexts* sub = ensureSubData(t)) {
            sub->text1 = std::move(sub1);
            sub->text2 = std::move(sub2);
        }
        for (long r = 0; r < rows && !in_.atEnd(); ++r)
            for (long c = 0; c < cols && !in_.atEnd(); ++c)
                t.setCell(int(c), int(r), unstore(read()));
    }
    return true;
}

void Reader::readPages()
{
    while (!in_.atEnd()) {
        read();
        if (cur_ == sf::EndMarker)
            end_ = true;
        if (cur_ != sf::ProtocolData)
            continue;
        if (end_)
            return;
        int32_t kind = 0, index = 0;
        if (!parseInteger(read(), kind)) {
            damaged("the kind of a report page, \"" + shown(cur_) + "\", is not a number.");
            return;
        }
        if (!parseInteger(read(), index)) {
            damaged("the number of a report page, \"" + shown(cur_) + "\", is not a number.");
            return;
        }
        if (!isReportKind(kind))
            continue; // no such page: its lines are passed over
        if (doc_.reportPages.count() >= ReportPages::MaxEntries) {
            damaged("more than " + std::to_string(ReportPages::MaxEntries) + " report pages.");
            return;
        }
        const bool tables = kind == ReportBlockTables || kind == ReportLightningTables;
        if (tables ? !readTables(ReportKind(kind), index) : !readPage(ReportKind(kind), index))
            return;
        if (result_.outcome == ReadOutcome::Damaged)
            return;
    }
}

ReadResult Reader::run()
{
    Progress& progress = progress_;
    progress.show(std::string(), lang_.texts.text("Wait_25"), false);
    progress.setLine2(fileName_);
    progress.setPosition(0);
    clearStructure(doc_);
    clearResultTable(doc_);
    doc_.reportPages.clear();
    doc_.resultsDiscarded = false;

    read();
    const bool v11 = cur_ == sf::Magic;
    if (!isMagicLine(cur_)) {
        result_.outcome = ReadOutcome::NotStructure;
    } else {
        doc_.familyCode = uint8_t(digitsValue(read()));
        // Every family the program knows is served by the one profile.
        if (doc_.familyCode != SupportedFamily) {
            result_.outcome = ReadOutcome::FamilyNotServed;
        } else {
            readHeader(v11);
            int64_t storedSeal = 0;
            if (!end_ && cur_ == sf::StructureData)
                storedSeal = sealValue(read());
            bool atTable = false;
            if (!end_) {
                readElements();
                atTable = !end_ && cur_ == sf::TableData;
            }
            if (atTable)
                readTable();
            const int32_t computed = resultsSeal(doc_);
            readPages();
            if (storedSeal != computed)
                doc_.resultsDiscarded = true;
        }
    }

    doc_.saved = true;
    if (doc_.resultsDiscarded) {
        ResultTable& t = doc_.structure.table;
        for (int r = 0; r < t.rowCount(); ++r)
            t.emptyRow(r);
    }
    doc_.structure.tree.selected = doc_.structure.tree.first();
    progress.hide();
    return result_;
}

} // namespace

// True when the last line that is not empty is the end marker: the file was
// written to its end.
bool endsWithEndMarker(std::string_view bytes)
{
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.remove_suffix(1);
    const size_t lineStart = bytes.find_last_of("\r\n");
    const std::string_view last = lineStart == std::string_view::npos ? bytes : bytes.substr(lineStart + 1);
    return last == structure_file::EndMarker;
}

std::string readLosses(const InterfaceTexts& texts, const Document& document, const ReadResult& result)
{
    std::string losses;
    auto add = [&](const char* key) {
        if (!losses.empty())
            losses += '\r';
        losses += texts.text(key);
    };
    if (result.outcome != ReadOutcome::Read && result.outcome != ReadOutcome::Damaged)
        return losses;
    if (document.resultsDiscarded)
        add("ResultsDiscarded_50");
    if (!result.complete)
        add("FileIncomplete_50");
    return losses;
}

bool isStructureFile(std::string_view bytes)
{
    return isMagicLine(Lines(bytes).next());
}

FileBytesStatus readStructureFileBytes(const QString& path, std::string& bytes, QString* error)
{
    bytes.clear();
    // Enough for the first line of either version and its line end.
    constexpr size_t FirstLineSize = 64;
    std::string start;
    qint64 size = 0;
    bool opened = false;
    if (!readFileStart(path, FirstLineSize, start, size, error, &opened))
        return opened ? FileBytesStatus::CannotRead : FileBytesStatus::CannotOpen;
    if (!isStructureFile(start)) {
        qCInfo(logFile).noquote() << "refused" << path + u':' << "no structure file";
        return FileBytesStatus::NotStructure;
    }
    if (size > sf::MaxFileSize) {
        qCInfo(logFile).noquote() << "refused" << path + u':' << size << "bytes, more than a structure file holds";
        return FileBytesStatus::TooLarge;
    }
    if (!readWholeFile(path, bytes, error, &opened, sf::MaxFileSize))
        return opened ? FileBytesStatus::CannotRead : FileBytesStatus::CannotOpen;
    return FileBytesStatus::Read;
}

namespace {
// What is shown of a file that was not read to its end, and what Save does with it.
std::string keptText(const InterfaceTexts& texts, const Document& document, const ReadResult& result)
{
    const Structure& s = document.structure;
    const int results = std::max(0, s.table.rowCount() - 1); // row 0 is the identification
    std::string text = texts.text("KeptElements_50") + ' ' + std::to_string(s.tree.count()) + '\r' +
                       texts.text("KeptResults_50") + ' ' + std::to_string(results) + '\r';
    if (result.lastResultCut)
        text += texts.text("LastResultCut_50") + '\r';
    return text + texts.text("SaveAsksName_50");
}

// What was read is not the whole file: a damaged record ended it, or the file
// was cut short.
bool readOnlyInPart(const ReadResult& result)
{
    return result.outcome == ReadOutcome::Damaged || (result.outcome == ReadOutcome::Read && !result.complete);
}

// Tells the user what reading `file` into `document` left out, if anything.
void tellReadLosses(const LanguageContext& ctx, const Document& document, const QString& file, const ReadResult& result)
{
    const std::string losses = readLosses(ctx.texts, document, result);
    if (readOnlyInPart(result)) {
        std::string message = result.outcome == ReadOutcome::Damaged ? result.message : ctx.encode(file);
        if (!losses.empty())
            message += "\r" + losses;
        message += "\r" + keptText(ctx.texts, document, result);
        ctx.prompts->message(result.outcome == ReadOutcome::Damaged ? MsgType::Error : MsgType::Warning, message, MbOK);
    } else if (!losses.empty()) {
        // Reading keeps what it can, but the user must know what is missing.
        ctx.prompts->message(MsgType::Warning, ctx.encode(file) + "\r" + losses, MbOK);
    }
}

// The bytes of the structure file `file`, or the message why there are none
// and the outcome to return.
std::optional<ReadResult> readFileBytesTelling(const LanguageContext& ctx, const QString& file, std::string& bytes)
{
    QString error;
    const FileBytesStatus status = readStructureFileBytes(file, bytes, &error);
    switch (status) {
    case FileBytesStatus::Read:
        return std::nullopt;
    case FileBytesStatus::CannotOpen:
    case FileBytesStatus::CannotRead:
        // The model stays as it was; the structure keeps its own file name.
        if (status == FileBytesStatus::CannotRead)
            ctx.prompts->message(MsgType::Error, ctx.encode(file) + "\r" + ctx.encode(error), MbOK);
        else
            ctx.prompts->message(MsgType::Error, ctx.encode(file) + "\r" + ctx.texts.text("FileNotExist_40"), MbOK, 1);
        return ReadResult{ReadOutcome::CannotOpen, ctx.encode(error)};
    case FileBytesStatus::NotStructure:
    case FileBytesStatus::TooLarge:
        // Refused before reading: a Save must not write an empty structure
        // over a file that was never one.
        ctx.prompts->message(
            MsgType::Error,
            ctx.encode(file) + "\r" +
                ctx.texts.text(status == FileBytesStatus::TooLarge ? "FileTooLarge_50" : "NotStructureFile_50"),
            MbOK);
        return ReadResult{status == FileBytesStatus::TooLarge ? ReadOutcome::CannotOpen : ReadOutcome::NotStructure,
                          {}};
    }
    return std::nullopt;
}
} // namespace

DocumentRead readDocument(const LanguageContext& language, std::string_view bytes, Progress& progress, Document start,
                          const std::string& fileName)
{
    DocumentRead read{std::move(start), {}};
    read.result = Reader(language, read.document, progress, bytes, fileName).run();
    read.result.complete = endsWithEndMarker(bytes);
    read.document.incomplete = !read.result.complete;
    static const char* const outcomes[] = {"read",    "no structure file", "another family's file",
                                           "damaged", "cannot open",       "cancelled"};
    qCInfo(logFile).nospace() << "structure " << outcomes[int(read.result.outcome)] << ", "
                              << read.document.structure.table.rowCount() - 1 << " results"
                              << (read.result.complete ? "" : ", cut short");
    return read;
}

ReadResult loadStructure(FileEnv& env, std::string_view bytes, const std::string& fileName)
{
    StructureContext& ctx = env.ctx;
    Document start = successorOf(ctx.document);
    std::optional<DocumentRead> read;
    if (!env.runner.run([&] { read = readDocument(ctx.language, bytes, env.progress, std::move(start), fileName); }) ||
        !read) {
        // Reading failed in a way the runner told: the open structure stays.
        env.progress.hide();
        return {ReadOutcome::Cancelled, {}};
    }
    // The previous structure's pages go with it, whatever this file holds.
    ctx.document.reportPages.discard(ctx.language.settings);
    ctx.document = std::move(read->document);
    if (read->result.outcome != ReadOutcome::NotStructure)
        applyFamilyProfile(ctx);
    return read->result;
}

std::optional<Document> readDocumentBeside(const LanguageContext& language, const QString& path, Progress& progress)
{
    std::string bytes;
    if (readFileBytesTelling(language, path, bytes))
        return std::nullopt;
    Document start;
    start.fileName = path;
    DocumentRead read = readDocument(language, bytes, progress, std::move(start), language.encode(path));
    tellReadLosses(language, read.document, path, read.result);
    if (read.result.outcome != ReadOutcome::Read)
        return std::nullopt;
    return std::move(read.document);
}

ReadResult readStructureFile(FileEnv& env, const std::optional<QString>& path)
{
    StructureContext& ctx = env.ctx;
    // With no structure shown after all, the panel stays hidden.
    const auto hideWhenNotServed = [&] {
        if (ctx.document.familyCode != ctx.language.profileFamily)
            env.view.showStructurePanel(false);
    };
    QString file;
    if (path) {
        file = *path;
    } else {
        if (querySaveChanges(env) == MbCancel)
            return {ReadOutcome::Cancelled, {}};
        FileDialogRequest request = structureDialog(ctx, "Open_30");
        request.mustExist = true;
        const std::optional<QString> chosen = ctx.language.prompts->openFileName(request);
        if (!chosen || chosen->isEmpty()) {
            hideWhenNotServed();
            return {ReadOutcome::Cancelled, {}};
        }
        file = *chosen;
    }

    std::string bytes;
    if (const std::optional<ReadResult> refused = readFileBytesTelling(ctx.language, file, bytes)) {
        hideWhenNotServed();
        return *refused;
    }
    const QString previousName = ctx.document.fileName;
    ctx.document.fileName = file;
    env.view.updateMainCaption();

    ReadResult result = loadStructure(env, bytes, ctx.language.encode(file));
    if (result.outcome == ReadOutcome::Cancelled) {
        ctx.document.fileName = previousName;
        env.view.updateMainCaption();
        return result;
    }
    env.view.profileApplied();
    env.view.showStructurePanel(true);
    env.view.treeReplaced();
    env.view.setResultsView(1);
    if (readOnlyInPart(result)) {
        // What was read is shown, but it is not the whole file: a plain Save
        // must not write it over the original, so the structure takes the
        // default name and Save asks where to put it.
        ctx.document.fileName = ctx.language.decode(ctx.language.texts.defaultFileName);
        env.view.updateMainCaption();
    }
    tellReadLosses(ctx.language, ctx.document, file, result);
    hideWhenNotServed();
    return result;
}

} // namespace zentrova
