// The .DBF file itself (dBase III / FoxPro layout): header, field
// descriptors, fixed-width records with their deletion flag, end-of-file mark.
//
// The whole record area is held in memory; every write goes through to the
// file at once. Appends write the record (and the end mark) first and the
// header's record count after it, so an interrupted append leaves either the
// old table or the new one. On open the header's count is reconciled with the
// file size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/xb_buffer.h"
#include "xbase/xb_field.h"

namespace px {

class TXbDbfFile {
public:
    using Progress = std::function<void(int percent)>;

    TXbDbfFile() = default;
    ~TXbDbfFile();
    TXbDbfFile(const TXbDbfFile&) = delete;
    TXbDbfFile& operator=(const TXbDbfFile&) = delete;

    // Writes an empty table (replacing any file of that name). Field names are
    // upper-cased; offsets are filled in.
    static void create(const std::string& path, std::vector<TXbField> fields);
    // Checks a field list as create() would; throws EXbError(BadField).
    static void validateFields(std::vector<TXbField>& fields);

    void open(const std::string& path, bool exclusive);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    const std::vector<TXbField>& fields() const { return fields_; }
    int recordLength() const { return recordLength_; }
    std::uint32_t recordCount() const { return count_; }
    // True when open found the header's count disagreeing with the file.
    bool repairedOnOpen() const { return repaired_; }

    // recno is 1-based; the pointer addresses the deletion flag byte.
    const char* record(std::uint32_t recno) const;
    void writeRecord(std::uint32_t recno, const char* data);
    std::uint32_t appendRecord(const char* data);
    // Keeps the listed records (in that order) and drops the rest; the new
    // file replaces the old one only when it is completely written.
    void rewrite(const std::vector<std::uint32_t>& keep, const Progress& progress);

    void setSyncWrites(bool on) { sync_ = on; }

private:
    void readHeader(std::uint64_t fileSize);
    void writeCount();
    void pwriteAll(const void* data, std::size_t size, std::uint64_t offset);
    void lock(bool exclusive);

    int fd_ = -1;
    std::string path_;
    bool exclusive_ = false;
    bool sync_ = false;
    bool repaired_ = false;
    std::vector<char> header_;  // the raw header bytes, kept for rewrites
    std::vector<TXbField> fields_;
    int headerLength_ = 0;
    int recordLength_ = 0;
    std::uint32_t count_ = 0;
    TXbBytes records_;
};

}  // namespace px
