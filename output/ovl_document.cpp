#include "ovl_document.h"

namespace torvane {

bool IsOverlayValue(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

std::string OvlHeader(int colourCode, std::string_view lineWidth, std::int64_t detectedRecordCount) {
    std::string text = "[Symbol 1]\r\nTyp=3\r\nGroup=2\r\nCol=";
    text += std::to_string(colourCode);
    text += "\r\nZoom=2\r\nSize=10";
    text += lineWidth;
    text += "\r\nArt=1\r\nPunkte=";
    text += std::to_string(detectedRecordCount + 1);
    return text;
}

std::string OvlTrailer(std::string_view mapName, std::string_view centerLatText, std::string_view centerLongText) {
    std::string text = "[Overlay]\r\nSymbols=1\r\n[MapLage]\r\nMapName=";
    text += mapName;
    text += "\r\nDimmFc=100\r\nZoomFc=100\r\nCenterLat=";
    text += centerLatText;
    text += "\r\nCenterLong=";
    text += centerLongText;
    text += "\r\nRefOn=0";
    return text;
}

std::string OvlPointCountLine(std::int64_t recordCount) { return "Punkte=" + std::to_string(recordCount); }

}  // namespace torvane
