// The music page: an MP3 playlist kept sorted in its list box, played one track after another through the
// media device and from the top again after the last, optionally from start-up on.
#pragma once
#include <cstdint>
#include <string>
#include "app/KestorPage.h"

namespace kestor {

class CTovrelPlay : public KestorPage {
public:
    static constexpr unsigned kPollTimer = 1000;

    CTovrelPlay();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;
    // Every tick polls the device, whatever the timer.
    void OnTimer(unsigned id) override;
    // The playlist control; null before the page's window exists.
    kp::IListBox* Playlist();
    // Stops and closes the open device, if any. The exit calls it too: a process that ends while a
    // track still plays can crash in the media layer.
    void StopPlayback();

    int m_nCurrent = 0;         // row of the current track
    uint32_t m_nDeviceId = 0;   // device of the open track, 0 when none
    int m_bAutoPlay = 0;        // play from start-up on; stored at once in the machine key
    bool m_bKeepListFile = false;  // Playlist.m3u was not read whole: it is not written at exit

private:
    // Closes what is open, then opens and plays the file and polls it once a second. A file the device
    // cannot open leaves playback idle, silently.
    void PlayFile(const std::string& path);
    // Selects the current row and plays it.
    void PlayCurrent();
    // The text of a row; empty for no such row.
    std::string RowText(int row);
    void AddFiles();
    void AddFolder();
    // Adds every file under the folder whose name ends in "MP3" (any case), depth first. Folder links and
    // junctions are not followed, so a loop in the file system cannot trap the scan.
    void ScanFolder(const std::string& folder);
    void DeleteSelected();
    void DeleteUnselected();
    void Play();
    void ToggleAutoPlay();
};

// The scan's test for a playlist file: the last three characters, in capitals, are "MP3".
bool EndsInMp3(const std::string& path);

}  // namespace kestor
