#include "platform/PdfWriter.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>

#include <cstring>

namespace {

// Data compressed as /FlateDecode reads it.
std::string Deflated(const std::string& data)
{
    Pl_Buffer buffer("deflated");
    Pl_Flate flate("deflate", &buffer, Pl_Flate::a_deflate);
    flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    flate.finish();
    const std::shared_ptr<Buffer> bytes = buffer.getBufferSharedPointer();
    return bytes ? std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize()) : std::string();
}

} // namespace

std::string TPdfWriter::Name(const std::string& key)
{
    for (size_t i = 1; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (c <= ' ' || c >= 0x7F || std::strchr("#()<>[]{}/%", c))
            return QPDFObjectHandle::newName(key).unparse();
    }
    return key;
}

TPdfWriter::TPdfWriter(QIODevice& out)
    : out_(out)
{
    // The second line's bytes above 127 tell a file transfer that the file is binary.
    Put(std::string("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n"));
}

int TPdfWriter::Reserve()
{
    entries_.emplace_back();
    return int(entries_.size() - 1);
}

void TPdfWriter::Map(const QPDFObjectHandle& object, int number)
{
    numbers_[object.getOwningQPDF()][object.getObjGen()] = number;
}

int TPdfWriter::Written(QPDFObjectHandle object)
{
    std::map<QPDFObjGen, int>& known = numbers_[object.getOwningQPDF()];
    if (const auto found = known.find(object.getObjGen()); found != known.end())
        return found->second;
    const int number = Reserve();
    known[object.getObjGen()] = number;
    if (object.isStream()) {
        std::string dictionary = "<<";
        for (auto& [key, value] : object.getDict().getDictAsMap())
            if (key != "/Length") {
                dictionary += Name(key) + ' ';
                AppendText(dictionary, value);
            }
        dictionary += ">>";
        const std::shared_ptr<Buffer> raw = object.getRawStreamData();
        WriteStream(number, dictionary, std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()));
    } else {
        std::string text;
        if (object.isArray() || object.isDictionary())
            AppendText(text, object.shallowCopy());
        else
            text = object.unparseResolved();
        WriteObject(number, text);
    }
    return number;
}

std::string TPdfWriter::Text(QPDFObjectHandle value)
{
    std::string text;
    AppendText(text, value);
    return text;
}

void TPdfWriter::AppendText(std::string& text, QPDFObjectHandle value)
{
    if (value.isIndirect()) {
        text += std::to_string(Written(value)) + " 0 R";
    } else if (value.isArray()) {
        text += '[';
        bool first = true;
        for (QPDFObjectHandle& item : value.getArrayAsVector()) {
            if (!std::exchange(first, false))
                text += ' ';
            AppendText(text, item);
        }
        text += ']';
    } else if (value.isDictionary()) {
        text += "<<";
        for (auto& [key, item] : value.getDictAsMap()) {
            text += Name(key) + ' ';
            AppendText(text, item);
        }
        text += ">>";
    } else {
        text += value.unparse();
    }
}

void TPdfWriter::Put(const char* data, size_t size)
{
    // A failed write is kept by the device and reported when its file is finished.
    out_.write(data, qint64(size));
    offset_ += qint64(size);
}

void TPdfWriter::WriteObject(int number, const std::string& text)
{
    entries_[size_t(number)] = Entry { 1, offset_, 0 };
    Put(std::to_string(number) + " 0 obj\n" + text + "\nendobj\n");
}

void TPdfWriter::WriteStream(int number, const std::string& dictionary, const std::string& data)
{
    entries_[size_t(number)] = Entry { 1, offset_, 0 };
    std::string head = std::to_string(number) + " 0 obj\n" + dictionary;
    head.insert(head.size() - 2, "/Length " + std::to_string(data.size()));
    Put(head + "\nstream\n");
    Put(data);
    Put(std::string("\nendstream\nendobj\n"));
}

void TPdfWriter::Pack(int number, std::string text)
{
    pack_.emplace_back(number, std::move(text));
}

void TPdfWriter::WritePack()
{
    if (pack_.empty())
        return;
    const int number = Reserve();
    std::string head, body;
    for (size_t index = 0; index < pack_.size(); ++index) {
        const auto& [packed, text] = pack_[index];
        head += std::to_string(packed) + ' ' + std::to_string(body.size()) + ' ';
        body += text;
        body += '\n';
        entries_[size_t(packed)] = Entry { 2, number, int(index) };
    }
    WriteStream(number,
                "<</Type /ObjStm /N " + std::to_string(pack_.size()) + " /First " + std::to_string(head.size()) + " /Filter /FlateDecode>>",
                Deflated(head + body));
    pack_.clear();
}

void TPdfWriter::Forget(const QPDF* from)
{
    numbers_.erase(from);
}

void TPdfWriter::Finish(int root, int info)
{
    WritePack();
    // Each object's row: its kind in one byte, its offset or object stream in five, its
    // place in the stream (or the free list's generation) in two.
    const int number = Reserve();
    entries_[size_t(number)] = Entry { 1, offset_, 0 };
    std::string rows;
    rows.reserve(entries_.size() * 8);
    for (size_t index = 0; index < entries_.size(); ++index) {
        const Entry& entry = entries_[index];
        const int last = entry.type == 0 ? (index == 0 ? 0xFFFF : 0) : entry.index;
        rows += char(entry.type);
        for (int shift = 32; shift >= 0; shift -= 8)
            rows += char((entry.field >> shift) & 0xFF);
        rows += char((last >> 8) & 0xFF);
        rows += char(last & 0xFF);
    }
    const qint64 start = offset_;
    std::string dictionary = "<</Type /XRef /Size " + std::to_string(entries_.size()) + " /W [1 5 2] /Root " + std::to_string(root) + " 0 R";
    if (info > 0)
        dictionary += " /Info " + std::to_string(info) + " 0 R";
    WriteStream(number, dictionary + " /Filter /FlateDecode>>", Deflated(rows));
    Put("startxref\n" + std::to_string(start) + "\n%%EOF\n");
}
