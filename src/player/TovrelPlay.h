// The music page: an MP3 playlist.
#pragma once
#include "app/KestorPage.h"

namespace kestor {

class CTovrelPlay : public KestorPage {
public:
    CTovrelPlay();
    kp::IListBox* Playlist();
};

}  // namespace kestor
