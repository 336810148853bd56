#ifndef LINKS_H
#define LINKS_H

// The maker's web addresses that the console opens or downloads from.
namespace Links {
// Support page: the "Online Help" action and the About box.
constexpr char SupportPage[] = "http://www.halvard.example/korvane/support";
// Home page: the logo button on the tool bar.
constexpr char MakerPage[] = "http://www.halvard.example/";
// Update server's file download; a file name appended names one file.
constexpr char UpdateBase[] = "http://updates.halvard.example/korvane/download.php?file=";
}

#endif // LINKS_H
