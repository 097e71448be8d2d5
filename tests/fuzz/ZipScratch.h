#pragma once

// A scratch folder of the fuzz process's own holding the input as an
// archive, for the targets that extract archives and must write nothing
// beside the folder they extract into. Header-only: each fuzz target is one
// program.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class ZipScratch {
public:
    explicit ZipScratch(const std::string& tag)
        : m_folder(std::filesystem::temp_directory_path() / (tag + std::to_string(getpid())))
    {
        std::filesystem::create_directories(m_folder);
    }

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path archive() const { return m_folder / "input.zip"; }

    // Writes the input as the archive; false when it cannot be written.
    bool write(const uint8_t* data, size_t size) const
    {
        std::FILE* f = std::fopen(archive().c_str(), "wb");
        if (!f)
            return false;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        return true;
    }

    // Aborts when anything but the archive and `kept` stands in the folder.
    void requireOnly(const std::string& kept = std::string()) const
    {
        for (const auto& item : std::filesystem::directory_iterator(m_folder)) {
            std::string name = item.path().filename().string();
            if (name != "input.zip" && name != kept)
                std::abort();
        }
    }

private:
    std::filesystem::path m_folder;
};
