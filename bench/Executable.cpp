#include "bench/Executable.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace shubiao::bench {
namespace {

// A PE image as read from disk, with its section table for RVA lookups.
class PeFile {
public:
    explicit PeFile(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    bool Parse() {
        IMAGE_DOS_HEADER dos{};
        if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
        IMAGE_NT_HEADERS64 nt{};
        if (!Read(static_cast<size_t>(dos.e_lfanew), nt) || nt.Signature != IMAGE_NT_SIGNATURE) return false;
        if (nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return false;
        optional_ = nt.OptionalHeader;
        size_t at = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                    nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i, at += sizeof(IMAGE_SECTION_HEADER)) {
            IMAGE_SECTION_HEADER section{};
            if (!Read(at, section)) return false;
            sections_.push_back(section);
        }
        return true;
    }

    // Names of the DLLs of the import directory `entry` whose descriptors
    // are `Descriptor` records carrying the name's RVA in `nameField`.
    template <typename Descriptor>
    void Names(int entry, DWORD Descriptor::*nameField, std::vector<std::wstring>& names) const {
        const IMAGE_DATA_DIRECTORY& dir = optional_.DataDirectory[entry];
        if (dir.VirtualAddress == 0) return;
        for (size_t at = Offset(dir.VirtualAddress);; at += sizeof(Descriptor)) {
            Descriptor d{};
            if (at == 0 || !Read(at, d) || d.*nameField == 0) return;
            const size_t name = Offset(d.*nameField);
            if (name == 0) return;
            std::wstring text;
            for (size_t i = name; i < bytes_.size() && bytes_[i] != '\0'; ++i) {
                text += static_cast<wchar_t>(static_cast<unsigned char>(bytes_[i]));
            }
            names.push_back(text);
        }
    }

private:
    template <typename T>
    bool Read(size_t at, T& out) const {
        if (at > bytes_.size() || bytes_.size() - at < sizeof(T)) return false;
        std::memcpy(&out, bytes_.data() + at, sizeof(T));
        return true;
    }
    // File offset of an RVA; 0 when no section holds it.
    size_t Offset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& s : sections_) {
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return rva - s.VirtualAddress + s.PointerToRawData;
            }
        }
        return 0;
    }

    std::vector<char> bytes_;
    IMAGE_OPTIONAL_HEADER64 optional_{};
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

bool InSystemFolder(const std::wstring& dll) {
    wchar_t system[MAX_PATH]{};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::wstring path = std::wstring(system, n) + L"\\" + dll;
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

ExecutableFacts InspectExecutable(const std::wstring& path) {
    ExecutableFacts facts;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        facts.error = L"cannot open " + path;
        return facts;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    facts.bytes = bytes.size();
    PeFile pe(std::move(bytes));
    if (!pe.Parse()) {
        facts.error = L"not a 64-bit PE file: " + path;
        return facts;
    }
    pe.Names(IMAGE_DIRECTORY_ENTRY_IMPORT, &IMAGE_IMPORT_DESCRIPTOR::Name, facts.imports);
    pe.Names(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, &IMAGE_DELAYLOAD_DESCRIPTOR::DllNameRVA, facts.imports);
    for (const std::wstring& dll : facts.imports) {
        if (!InSystemFolder(dll)) facts.foreign.push_back(dll);
    }
    return facts;
}

}  // namespace shubiao::bench
