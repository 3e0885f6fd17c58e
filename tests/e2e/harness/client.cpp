#include "client.h"

#include "check.h"
#include "pane.h"

#include <cstring>

namespace e2e {

const char* const kRegionName = DRAVIK_REGION_NAME;

Region Region::Mapped(HANDLE mapping) {
    Region region;
    region.mapping_ = TKernelHandle(mapping);
    if (region.mapping_.Valid())
        region.view_ = TMappedView(MapViewOfFile(region.mapping_.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!region.view_.Valid())
        region.error_ = GetLastError();
    return region;
}

Region Region::Open() {
    return Mapped(OpenFileMappingA(FILE_MAP_WRITE, FALSE, kRegionName));
}

Region Region::Create(DWORD size) {
    return Mapped(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, kRegionName));
}

std::size_t Region::ViewSize() const {
    MEMORY_BASIC_INFORMATION info;
    if (!view_.Valid() || VirtualQuery(view_.Get(), &info, sizeof info) == 0)
        return 0;
    return info.RegionSize;
}

bool Region::Write(std::size_t offset, const std::string& bytes) {
    if (!view_.Valid() || offset + bytes.size() > ViewSize())
        return false;
    std::memcpy(static_cast<unsigned char*>(view_.Get()) + offset, bytes.data(), bytes.size());
    return true;
}

bool Region::WriteText(const std::string& text) {
    return Write(1, text + std::string(1, '\0'));
}

CommandResult SendOnRegion(HWND viewer, Command command, DWORD timeoutMs) {
    CommandResult result;
    LRESULT answer = 0;
    if (!SendWithTimeout(viewer, command, 0, 0, answer, timeoutMs)) {
        result.why = "the viewer did not answer command " + std::to_string(command - WM_USER) + " within " +
                     std::to_string(timeoutMs) + " ms";
        return result;
    }
    result.ok = answer == 0;
    if (!result.ok)
        result.why = "the viewer answered " + std::to_string(answer) + " instead of 0";
    return result;
}

namespace {

CommandResult Fill(const std::string& bytes, std::size_t offset, bool asText) {
    CommandResult result;
    Region region = Region::Open();
    if (!region.Valid()) {
        result.why =
            "cannot open the region " DRAVIK_REGION_NAME ", error " + std::to_string(region.LastError());
        return result;
    }
    if (!(asText ? region.WriteText(bytes) : region.Write(offset, bytes))) {
        result.why = "the region is too small for " + std::to_string(bytes.size()) + " bytes";
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

CommandResult SendCommand(HWND viewer, Command command, const std::string& text, DWORD timeoutMs) {
    CommandResult filled = Fill(text, 1, true);
    return filled.ok ? SendOnRegion(viewer, command, timeoutMs) : filled;
}

CommandResult SendRawCommand(HWND viewer, Command command, const std::string& regionBytes) {
    CommandResult filled = Fill(regionBytes, 0, false);
    return filled.ok ? SendOnRegion(viewer, command) : filled;
}

CommandResult Print(HWND viewer, const std::string& text) {
    return SendCommand(viewer, kPrint, text);
}

CommandResult Clear(HWND viewer) {
    return SendOnRegion(viewer, kClear);
}

CommandResult WriteArgument(const std::string& text) {
    return Fill(text, 1, true);
}

bool PrintThrough(Region& region, HWND viewer, const std::string& text) {
    LRESULT answer = 1;
    return region.WriteText(text) && SendWithTimeout(viewer, kPrint, 0, 0, answer) && answer == 0;
}

bool CheckSent(const CommandResult& result, const char* file, int line, const char* call) {
    return Check(result.ok, file, line, std::string(call) + ": " + result.why);
}

} // namespace e2e
