#include "print/PdfJoin.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kaoshi {

namespace {

// --- Reading the syntax of PDF objects, as far as joining needs it ---------

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

enum class Kind { Word, Name, String, Open, Close, End };

struct Token {
    Kind kind = Kind::End;
    qsizetype start = 0;
    qsizetype end = 0;
};

class Tokens
{
public:
    Tokens(const char *data, qsizetype size, qsizetype from = 0) : m_data(data), m_size(size), m_at(from) {}

    Token next()
    {
        skipSpace();
        Token t{Kind::End, m_at, m_at};
        if (m_at >= m_size)
            return t;
        const char c = m_data[m_at];
        if (c == '/') {
            ++m_at;
            while (m_at < m_size && !isSpace(m_data[m_at]) && !isDelimiter(m_data[m_at]))
                ++m_at;
            t.kind = Kind::Name;
        } else if (c == '(') {
            skipLiteralString();
            t.kind = Kind::String;
        } else if (c == '<' && m_at + 1 < m_size && m_data[m_at + 1] == '<') {
            m_at += 2;
            t.kind = Kind::Open;
        } else if (c == '>' && m_at + 1 < m_size && m_data[m_at + 1] == '>') {
            m_at += 2;
            t.kind = Kind::Close;
        } else if (c == '<') {
            while (m_at < m_size && m_data[m_at] != '>')
                ++m_at;
            m_at = qMin(m_size, m_at + 1);
            t.kind = Kind::String;
        } else if (c == '[' || c == '{') {
            ++m_at;
            t.kind = Kind::Open;
        } else if (c == ']' || c == '}' || c == ')' || c == '>') {
            ++m_at;
            t.kind = Kind::Close;
        } else {
            while (m_at < m_size && !isSpace(m_data[m_at]) && !isDelimiter(m_data[m_at]))
                ++m_at;
            t.kind = Kind::Word;
        }
        t.end = m_at;
        return t;
    }

private:
    void skipSpace()
    {
        while (m_at < m_size) {
            if (isSpace(m_data[m_at])) {
                ++m_at;
            } else if (m_data[m_at] == '%') {
                while (m_at < m_size && m_data[m_at] != '\n' && m_data[m_at] != '\r')
                    ++m_at;
            } else {
                break;
            }
        }
    }
    void skipLiteralString()
    {
        int depth = 0;
        for (; m_at < m_size; ++m_at) {
            const char c = m_data[m_at];
            if (c == '\\')
                ++m_at;
            else if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0) {
                ++m_at;
                return;
            }
        }
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_at;
};

// The tokens of an object up to its stream or its end, with the places where
// it refers to other objects.
struct ObjectHead {
    std::vector<Token> tokens;
    qsizetype rest = 0;          // where the stream or "endobj" begins
    std::vector<size_t> refs;    // index of each reference's object number in tokens
};

bool isInteger(const char *data, const Token &t)
{
    if (t.kind != Kind::Word || t.end == t.start)
        return false;
    return std::all_of(data + t.start, data + t.end, [](char c) { return c >= '0' && c <= '9'; });
}

bool isWord(const char *data, const Token &t, const char *word)
{
    const qsizetype length = qsizetype(qstrlen(word));
    return t.kind == Kind::Word && t.end - t.start == length && qstrncmp(data + t.start, word, length) == 0;
}

int integerOf(const char *data, const Token &t)
{
    return QByteArray::fromRawData(data + t.start, t.end - t.start).toInt();
}

ObjectHead readHead(const char *data, qsizetype size, qsizetype from)
{
    ObjectHead head;
    Tokens tokens(data, size, from);
    for (Token t = tokens.next(); t.kind != Kind::End; t = tokens.next()) {
        if (isWord(data, t, "stream") || isWord(data, t, "endobj")) {
            head.rest = t.start;
            break;
        }
        head.tokens.push_back(t);
        head.rest = t.end;
        const size_t n = head.tokens.size();
        if (n >= 3 && isWord(data, t, "R") && isInteger(data, head.tokens[n - 2]) &&
            isInteger(data, head.tokens[n - 3]))
            head.refs.push_back(n - 3);
    }
    return head;
}

// The value of `key` in a dictionary's tokens: the index of its first token.
std::optional<size_t> valueOf(const char *data, const std::vector<Token> &tokens, const char *key)
{
    const qsizetype length = qsizetype(qstrlen(key));
    int depth = 0;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.kind == Kind::Open)
            ++depth;
        else if (t.kind == Kind::Close)
            --depth;
        else if (depth == 1 && t.kind == Kind::Name && t.end - t.start == length &&
                 qstrncmp(data + t.start, key, length) == 0)
            return i + 1;
    }
    return std::nullopt;
}

// The object a reference at tokens[i] names, or -1.
int referenceAt(const char *data, const std::vector<Token> &tokens, size_t i)
{
    if (i + 2 < tokens.size() && isInteger(data, tokens[i]) && isInteger(data, tokens[i + 1]) &&
        isWord(data, tokens[i + 2], "R"))
        return integerOf(data, tokens[i]);
    return -1;
}

// Index just past the value that begins at tokens[i].
size_t skipValue(const char *data, const std::vector<Token> &tokens, size_t i)
{
    if (referenceAt(data, tokens, i) >= 0)
        return i + 3;
    if (tokens[i].kind != Kind::Open)
        return i + 1;
    int depth = 0;
    for (; i < tokens.size(); ++i) {
        if (tokens[i].kind == Kind::Open)
            ++depth;
        else if (tokens[i].kind == Kind::Close && --depth == 0)
            return i + 1;
    }
    return i;
}

// --- One part: its cross-reference table, catalogue and pages -------------

class PdfPart
{
public:
    bool open(const QString &path, QString *error)
    {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return fail(error, m_file.errorString());
        const qint64 size = m_file.size();
        // "startxref" and the offset stand in the last bytes of the file.
        m_file.seek(qMax<qint64>(0, size - 1024));
        const QByteArray tail = m_file.read(1024);
        const qsizetype at = tail.lastIndexOf("startxref");
        if (at < 0)
            return fail(error, QStringLiteral("没有交叉引用表"));
        const qint64 xref = tail.mid(at + 9).trimmed().split('\n').value(0).trimmed().toLongLong();
        if (xref <= 0 || xref >= size)
            return fail(error, QStringLiteral("交叉引用表的位置不对"));
        m_file.seek(xref);
        m_table = m_file.read(size - xref);
        return readTable(xref, error) && readPages(error);
    }

    int objectCount() const { return int(m_offsets.size()); }
    bool exists(int object) const { return object > 0 && object < objectCount() && m_offsets[size_t(object)] >= 0; }
    // The object's bytes, from "n 0 obj" to the next object.
    QByteArray bytes(int object)
    {
        const qint64 from = m_offsets[size_t(object)];
        m_file.seek(from);
        return m_file.read(m_ends[size_t(object)] - from);
    }
    // What comes before the first object: the version line and the line
    // that marks the file as binary.
    QByteArray header()
    {
        m_file.seek(0);
        return m_file.read(m_order.empty() ? 0 : m_offsets[size_t(m_order.front())]);
    }
    const QList<int> &pages() const { return m_pages; }
    int pageTree() const { return m_pageTree; }
    // The trailer's dictionary.
    const QByteArray &table() const { return m_table; }
    const std::vector<Token> &trailer() const { return m_trailer; }
    // Objects in the order they stand in the file.
    const std::vector<int> &inFileOrder() const { return m_order; }

private:
    static bool fail(QString *error, const QString &reason)
    {
        if (error)
            *error = reason;
        return false;
    }

    bool readTable(qint64 xref, QString *error)
    {
        const char *data = m_table.constData();
        Tokens tokens(data, m_table.size());
        if (!isWord(data, tokens.next(), "xref"))
            return fail(error, QStringLiteral("不是交叉引用表"));
        for (;;) {
            const Token first = tokens.next();
            if (isWord(data, first, "trailer"))
                break;
            const Token count = tokens.next();
            if (!isInteger(data, first) || !isInteger(data, count))
                return fail(error, QStringLiteral("交叉引用表不完整"));
            const int start = integerOf(data, first);
            const int n = integerOf(data, count);
            if (start < 0 || n < 0 || start + n > 10000000)
                return fail(error, QStringLiteral("交叉引用表不完整"));
            if (m_offsets.size() < size_t(start + n))
                m_offsets.resize(size_t(start + n), -1);
            for (int i = 0; i < n; ++i) {
                const Token offset = tokens.next();
                tokens.next(); // generation
                const Token use = tokens.next();
                if (!isInteger(data, offset))
                    return fail(error, QStringLiteral("交叉引用表不完整"));
                if (isWord(data, use, "n"))
                    m_offsets[size_t(start + i)] =
                        QByteArray::fromRawData(data + offset.start, offset.end - offset.start).toLongLong();
            }
        }
        int depth = 0;
        for (Token t = tokens.next(); t.kind != Kind::End; t = tokens.next()) {
            m_trailer.push_back(t);
            depth += t.kind == Kind::Open ? 1 : t.kind == Kind::Close ? -1 : 0;
            if (depth == 0)
                break;
        }
        if (m_trailer.empty() || m_trailer.front().kind != Kind::Open)
            return fail(error, QStringLiteral("PDF文件没有结尾"));
        if (valueOf(data, m_trailer, "/Prev") || valueOf(data, m_trailer, "/XRefStm"))
            return fail(error, QStringLiteral("PDF文件有增量更新"));

        // Each object reaches to the next one, the last to the table.
        for (size_t i = 1; i < m_offsets.size(); ++i) {
            if (m_offsets[i] >= xref)
                return fail(error, QStringLiteral("交叉引用表不完整"));
            if (m_offsets[i] >= 0)
                m_order.push_back(int(i));
        }
        std::sort(m_order.begin(), m_order.end(),
                  [this](int a, int b) { return m_offsets[size_t(a)] < m_offsets[size_t(b)]; });
        m_ends.assign(m_offsets.size(), -1);
        for (size_t i = 0; i < m_order.size(); ++i)
            m_ends[size_t(m_order[i])] = i + 1 < m_order.size() ? m_offsets[size_t(m_order[i + 1])] : xref;
        return true;
    }

    bool readPages(QString *error)
    {
        const auto root = valueOf(m_table.constData(), m_trailer, "/Root");
        const int catalogue = root ? referenceAt(m_table.constData(), m_trailer, *root) : -1;
        if (!exists(catalogue))
            return fail(error, QStringLiteral("PDF文件没有目录"));
        const QByteArray catalogueBytes = bytes(catalogue);
        const ObjectHead head = readHead(catalogueBytes.constData(), catalogueBytes.size(), 0);
        const auto pages = valueOf(catalogueBytes.constData(), head.tokens, "/Pages");
        m_pageTree = pages ? referenceAt(catalogueBytes.constData(), head.tokens, *pages) : -1;
        if (!exists(m_pageTree))
            return fail(error, QStringLiteral("PDF文件没有页面"));
        const QByteArray tree = bytes(m_pageTree);
        const char *data = tree.constData();
        const ObjectHead node = readHead(data, tree.size(), 0);
        const auto kids = valueOf(data, node.tokens, "/Kids");
        if (!kids || node.tokens[*kids].kind != Kind::Open)
            return fail(error, QStringLiteral("PDF文件没有页面"));
        const size_t end = skipValue(data, node.tokens, *kids);
        for (size_t i = *kids + 1; i + 1 < end; i += 3) {
            const int page = referenceAt(data, node.tokens, i);
            if (!exists(page))
                return fail(error, QStringLiteral("PDF文件的页面不完整"));
            m_pages << page;
        }
        // Only pages may hang from the tree: a nested tree would lose what
        // its nodes pass on to their pages.
        for (int page : std::as_const(m_pages)) {
            const QByteArray text = bytes(page);
            const ObjectHead leaf = readHead(text.constData(), text.size(), 0);
            const auto type = valueOf(text.constData(), leaf.tokens, "/Type");
            if (!type || QByteArray(text.constData() + leaf.tokens[*type].start,
                                    leaf.tokens[*type].end - leaf.tokens[*type].start) != "/Page")
                return fail(error, QStringLiteral("PDF文件的页面树有多层"));
        }
        return true;
    }

    QFile m_file;
    QByteArray m_table; // from "xref" to the end of the file
    std::vector<Token> m_trailer;
    std::vector<qint64> m_offsets; // by object number; -1 when free
    std::vector<qint64> m_ends;
    std::vector<int> m_order;
    QList<int> m_pages;
    int m_pageTree = -1;
};

// --- Writing the joined file -------------------------------------------------

class JoinedPdf
{
public:
    explicit JoinedPdf(QFile &out) : m_out(out) {}

    qint64 position() const { return m_written; }
    void write(const QByteArray &bytes)
    {
        m_out.write(bytes);
        m_written += bytes.size();
    }
    void write(const char *data, qsizetype size)
    {
        m_out.write(data, size);
        m_written += size;
    }
    // Records that object `number` begins here.
    void begin(int number)
    {
        if (m_offsets.size() <= size_t(number))
            m_offsets.resize(size_t(number) + 1, -1);
        m_offsets[size_t(number)] = m_written;
    }
    void writeTable(const QByteArray &trailer)
    {
        const qint64 xref = m_written;
        QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size())) + "\n";
        table.reserve(table.size() + qsizetype(m_offsets.size()) * 20);
        char entry[32];
        for (size_t i = 0; i < m_offsets.size(); ++i) {
            if (i == 0 || m_offsets[i] < 0)
                std::snprintf(entry, sizeof entry, "%010d 65535 f \n", 0);
            else
                std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(m_offsets[i]));
            table.append(entry, 20);
        }
        write(table);
        write("trailer\n" + trailer + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    }
    int size() const { return int(m_offsets.size()); }

private:
    QFile &m_out;
    qint64 m_written = 0;
    std::vector<qint64> m_offsets;
};

// An object of a later part written with the numbers of the joined file.
QByteArray renumbered(const QByteArray &bytes, const std::vector<int> &numbers)
{
    const char *data = bytes.constData();
    const ObjectHead head = readHead(data, bytes.size(), 0);
    QByteArray out;
    out.reserve(bytes.size() + 16);
    qsizetype copied = 0;
    const auto replace = [&](const Token &t, int old) {
        out.append(data + copied, t.start - copied);
        out.append(QByteArray::number(old >= 0 && size_t(old) < numbers.size() ? numbers[size_t(old)] : 0));
        copied = t.end;
    };
    if (head.tokens.size() >= 3) // "n g obj"
        replace(head.tokens[0], integerOf(data, head.tokens[0]));
    for (size_t i : head.refs)
        replace(head.tokens[i], integerOf(data, head.tokens[i]));
    out.append(data + copied, bytes.size() - copied);
    return out;
}

// The objects of a later part that its pages need: everything they refer
// to, directly or not, short of the page tree (the joined file has its own).
std::vector<bool> neededObjects(PdfPart &part)
{
    std::vector<bool> needed(size_t(part.objectCount()), false);
    std::vector<int> todo(part.pages().cbegin(), part.pages().cend());
    for (int page : todo)
        needed[size_t(page)] = true;
    while (!todo.empty()) {
        const int object = todo.back();
        todo.pop_back();
        const QByteArray bytes = part.bytes(object);
        const ObjectHead head = readHead(bytes.constData(), bytes.size(), 0);
        for (size_t i : head.refs) {
            const int target = integerOf(bytes.constData(), head.tokens[i]);
            if (part.exists(target) && target != part.pageTree() && !needed[size_t(target)]) {
                needed[size_t(target)] = true;
                todo.push_back(target);
            }
        }
    }
    return needed;
}

// The page tree node of the joined file: the first part's node with every
// page, in turn.
QByteArray pageTreeNode(PdfPart &first, int number, const QList<int> &kids)
{
    const QByteArray bytes = first.bytes(first.pageTree());
    const char *data = bytes.constData();
    const ObjectHead head = readHead(data, bytes.size(), 0);
    QByteArray out = QByteArray::number(number) + " 0 obj\n<<\n/Type /Pages\n/Kids [";
    for (qsizetype i = 0; i < kids.size(); ++i)
        out += (i % 8 == 0 ? "\n" : " ") + QByteArray::number(kids[i]) + " 0 R";
    out += "\n]\n/Count " + QByteArray::number(kids.size()) + "\n";
    // Whatever else the node passes on to its pages stays.
    size_t i = 4; // past "n g obj <<"
    while (i + 1 < head.tokens.size()) {
        const Token key = head.tokens[i];
        const size_t end = skipValue(data, head.tokens, i + 1);
        const QByteArray name(data + key.start, key.end - key.start);
        if (name != "/Type" && name != "/Kids" && name != "/Count")
            out += QByteArray(data + key.start, head.tokens[end - 1].end - key.start) + "\n";
        i = end;
    }
    return out + ">>\nendobj\n";
}

// The first part's trailer with the joined file's size.
QByteArray joinedTrailer(const PdfPart &first, int size)
{
    const char *data = first.table().constData();
    const std::vector<Token> &t = first.trailer();
    QByteArray out = "<<\n/Size " + QByteArray::number(size) + "\n";
    size_t i = 1;
    while (i + 1 < t.size()) {
        const Token key = t[i];
        const size_t end = skipValue(data, t, i + 1);
        if (QByteArray(data + key.start, key.end - key.start) != "/Size")
            out += QByteArray(data + key.start, t[end - 1].end - key.start) + "\n";
        i = end;
    }
    return out + ">>";
}

} // namespace

bool interleavePdfs(const QStringList &paths, const QString &target, QString *error,
                    const std::function<bool()> &goOn)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (paths.isEmpty())
        return fail(QStringLiteral("没有要合并的PDF文件"));
    std::vector<std::unique_ptr<PdfPart>> parts;
    for (const QString &path : paths) {
        auto &part = *parts.emplace_back(std::make_unique<PdfPart>());
        if (!part.open(path, error))
            return false;
    }
    const qsizetype firstCount = parts.front()->pages().size();
    for (const auto &part : parts)
        if (part->pages().size() > firstCount || part->pages().size() < firstCount - 1)
            return fail(QStringLiteral("PDF文件的页数不配"));

    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(out.errorString());
    JoinedPdf joined(out);
    joined.write(parts.front()->header());

    // The first part keeps its numbers; the later parts' objects follow.
    PdfPart &first = *parts.front();
    std::vector<std::vector<int>> numbers(parts.size());
    numbers[0].resize(size_t(first.objectCount()));
    for (int i = 0; i < first.objectCount(); ++i)
        numbers[0][size_t(i)] = i;
    int next = first.objectCount();
    std::vector<std::vector<bool>> needed(parts.size());
    for (size_t p = 1; p < parts.size(); ++p) {
        needed[p] = neededObjects(*parts[p]);
        numbers[p].assign(size_t(parts[p]->objectCount()), 0);
        for (int object : parts[p]->inFileOrder())
            if (needed[p][size_t(object)])
                numbers[p][size_t(object)] = next++;
        numbers[p][size_t(parts[p]->pageTree())] = first.pageTree();
    }

    QList<int> kids;
    for (qsizetype page = 0; page < firstCount; ++page)
        for (size_t p = 0; p < parts.size(); ++p)
            if (page < parts[p]->pages().size())
                kids << numbers[p][size_t(parts[p]->pages()[page])];

    // Asked every so many objects whether to go on.
    int copied = 0;
    const auto goesOn = [&] { return !goOn || ++copied % 2048 != 0 || goOn(); };
    for (int object : first.inFileOrder()) {
        if (!goesOn())
            return fail(QStringLiteral("已停止"));
        joined.begin(object);
        if (object == first.pageTree()) {
            joined.write(pageTreeNode(first, object, kids));
            continue;
        }
        joined.write(first.bytes(object));
    }
    for (size_t p = 1; p < parts.size(); ++p)
        for (int object : parts[p]->inFileOrder()) {
            if (!needed[p][size_t(object)])
                continue;
            if (!goesOn())
                return fail(QStringLiteral("已停止"));
            joined.begin(numbers[p][size_t(object)]);
            joined.write(renumbered(parts[p]->bytes(object), numbers[p]));
        }
    joined.writeTable(joinedTrailer(first, joined.size()));
    if (!out.flush() || out.error() != QFile::NoError)
        return fail(out.errorString());
    out.close();
    return true;
}

} // namespace kaoshi
