#pragma once

namespace setrion::ui {

class CQx7SerialSetDlg;

// The font part of the main dialog: Open (1027) chooses fonts and a font ID, Download (1028)
// builds the job and sends it, showing progress in the bar 1174. The main dialog calls these
// on a click and enables/disables 1027 and 1028 by its own rules (1028 is disabled after an
// open and by every close); a controller enables 1028 once something can be downloaded.
//
// The controller may use the dialog's public side: shell(), exchange(), emulation(),
// control(id) (e.g. kFontDownload, kFontProgress) and repaint through shell().
class FontDownloadController {
public:
    virtual ~FontDownloadController() = default;
    virtual void open(CQx7SerialSetDlg& dialog) = 0;
    virtual void download(CQx7SerialSetDlg& dialog) = 0;
};

}  // namespace setrion::ui
