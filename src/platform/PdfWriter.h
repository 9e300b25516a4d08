#pragma once

#include <QIODevice>

#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <string>
#include <vector>

class QPDF;

// Writes a PDF document object by object, as its objects become known, so nothing of it
// waits in memory: objects that qpdf has read (with what they refer to, each once),
// streams with their bytes as they are stored, small dictionaries packed into compressed
// object streams, and a compressed cross-reference stream at the end. Objects of several
// qpdf documents may be written into the one document.
class TPdfWriter {
public:
    // Writes the header to `out`, which must stay open until Finish.
    explicit TPdfWriter(QIODevice& out);

    // A number for an object written later.
    int Reserve();
    // `object` is written under `number`: what refers to it refers
    // there, and it is not written again.
    void Map(const QPDFObjectHandle& object, int number);
    // The number of an indirect object in the output, written with what it refers to when
    // it is first asked for.
    int Written(QPDFObjectHandle object);
    // A value as the output writes it: indirect objects as references, written as needed.
    std::string Text(QPDFObjectHandle value);

    // A dictionary key as a name token: most are plain, the rest written with escapes.
    static std::string Name(const std::string& key);

    void WriteObject(int number, const std::string& text);
    // `dictionary` without its /Length, which is the data's.
    void WriteStream(int number, const std::string& dictionary, const std::string& data);
    // An object that is not a stream, into the object stream being filled.
    void Pack(int number, std::string text);
    // Writes the object stream being filled, if it holds anything.
    void WritePack();
    // What was mapped or written of document `from` is no longer looked up: it may go.
    void Forget(const QPDF* from);

    // Writes the cross-reference stream and the trailer; `info` 0 for none.
    void Finish(int root, int info);

private:
    void Put(const char* data, size_t size);
    void Put(const std::string& text) { Put(text.data(), text.size()); }
    void AppendText(std::string& text, QPDFObjectHandle value);

    struct Entry {
        char type = 0;         // 0 free or not yet written, 1 at an offset, 2 packed
        qint64 field = 0;      // the offset, or the object stream's number
        int index = 0;         // the place in its object stream
    };
    QIODevice& out_;
    qint64 offset_ = 0;
    std::vector<Entry> entries_ { Entry {} };
    std::map<const QPDF*, std::map<QPDFObjGen, int>> numbers_;
    std::vector<std::pair<int, std::string>> pack_;
};
