#include "player/player_strings.h"

namespace player {
namespace {

constexpr platform::StringEntry kEnglish[] = {
    {101, ""},
    {102, "Rev.Play"},
    {103, "Play"},
    {104, "Pause"},
    {105, "Stop"},
    {106, "Prev.Frame"},
    {107, "Next Frame"},
    {108, "Slow"},
    {109, "Fast"},
    {110, "WaterMark"},
    {111, "Print"},
    {112, "Capture"},
    {113, "1ch ~ 4ch"},
    {114, "5ch ~ 8ch"},
    {115, "9ch ~ 12ch"},
    {116, "13ch ~ 16ch"},
    {117, "1ch ~ 8ch"},
    {118, "9ch ~ 16ch"},
    {119, "1ch ~ 16ch"},
    {120, "Panorama"},
    {121, "Sound"},
    {122, "Search for Still Image "},
    {123, "Search for Video"},
    {124, "Capture"},
    {126, "Print"},
    {127, "Minimize"},
    {128, "Reload"},
    {129, "Play"},
    {130, "Close"},
    {131, "Exit"},
    {132, "Search"},
    {134, "Close"},
    {135, "Save"},
    {136, "Print"},
    {137, "Close"},
    {141, "PATH"},
    {142, "File Open"},
    {2000, "DVR IP"},
    {2001, "Time"},
    {2002, "File Name"},
    {2003, "The image has been saved."},
    {2004, "DVR Name"},
    {2005, "Keyword"},
    {2006, "CH"},
    {2007, "Please check printer connection."},
    {2008, "The Watermark file you have selected is incompatible."},
    {2009, "The Watermark file name or path is not valid."},
    {2010, "Cannot find the file. \n The selected file has been deleted."},
    {2011, "Please select a file."},
    {2012, "The selected file does not exist."},
    {2013, "The file does not exist."},
    {2014, "Improper file type."},
    {2015, "You cannot print during playback."},
    {2016, "The file is already saved."},
    {2017, "Printing completed."},
    {2018, "You cannot extract the watermark from video files."},
    {2019, "Warning!\nCapture failed.\nPlease select a single image."},
    {2020, "Print failed.\nPlease select a single image."},
    {2021, "File can't opened!"},
    {2022, "Audio playback failed.\nThe file is missing or check audio device."},
    {2023, "Warning!\nCapture Failed."},
    {2024, "Now Orvane_M4 is executing!!"},
    {2025, "Video File"},
    {2026, "Still Image File"},
    {2027, "Please select a directory..."},
    {2028, "Capture Failed!! HDD Full!!"},
    {2029, "This model can not be supported."},
    {2030, "No More Video!!"},
};

}  // namespace

platform::StringTable& PlayerStrings() {
    static platform::StringTable table(kEnglish);
    return table;
}

}  // namespace player
