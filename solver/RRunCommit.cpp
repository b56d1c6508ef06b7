#include "solver/RRunCommit.h"

#include <filesystem>
#include <system_error>

void commitRunFiles(const std::string& documentPath)
{
    namespace fs = std::filesystem;
    for (const char* extension : {".MVR3", ".MVO3", ".MVL3"}) {
        fs::path committed(documentPath);
        committed.replace_extension(extension);
        fs::path pending = committed;
        pending += "$";
        std::error_code ec;
        if (fs::exists(pending, ec))
            fs::rename(pending, committed, ec);
        else if (!ec)
            fs::remove(committed, ec);
    }
}
