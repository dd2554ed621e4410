#include "ui/main/application.h"

#include "ui/main/main_window.h"
#include "ui/main/themes.h"
#include "ui/tools/about_box.h"
#include "ui/tools/add_favourite.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/album_name_request.h"
#include "ui/tools/backup.h"
#include "ui/tools/contact.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"
#include "ui/tools/manage_favourites.h"
#include "ui/tools/portable_mode.h"
#include "ui/tools/reader.h"
#include "ui/tools/thanks.h"
#include "ui/tools/title_matches.h"
#include "ui/tools/update_check.h"
#include "ui/tools/whats_new.h"

namespace quorvel {

// The windows are made in this order, each after those it may use when it is created: TForm1,
// TAboutBox, TForm2 to TForm8, TForm9 (portable paths), TForm10, TForm12 to TForm17.
Application::Application(Services& services, QString appFolder)
    : services_(services), settings_(std::move(appFolder)) {
    // The look every window is made in; the main window's start-up applies the stored theme.
    ApplyStyle(QString::fromLatin1(kStartStyle));
    form1_ = std::make_unique<TForm1>(windows_, services_, settings_);
    windows_.form1 = form1_.get();
    form1_->FormCreate();

    aboutBox_ = std::make_unique<TAboutBox>(windows_, services_, form1_.get());
    windows_.aboutBox = aboutBox_.get();
    aboutBox_->FormCreate();
    form2_ = std::make_unique<TForm2>(windows_, services_, form1_.get());
    windows_.form2 = form2_.get();
    form2_->FormCreate();

    form3_ = std::make_unique<TForm3>(windows_, services_, settings_, form1_.get());
    windows_.form3 = form3_.get();
    form3_->FormCreate();
    form4_ = std::make_unique<TForm4>(windows_, services_, settings_, form1_.get());
    windows_.form4 = form4_.get();
    form4_->FormCreate();
    form5_ = std::make_unique<TForm5>(windows_, services_, settings_, form1_.get());
    windows_.form5 = form5_.get();
    form5_->FormCreate();

    form6_ = std::make_unique<TForm6>(windows_, services_, form1_.get());
    windows_.form6 = form6_.get();

    form7_ = std::make_unique<TForm7>(windows_, services_, settings_, form1_.get());
    windows_.form7 = form7_.get();
    form7_->FormCreate();
    form8_ = std::make_unique<TForm8>(windows_, services_, settings_, form1_.get());
    windows_.form8 = form8_.get();
    form8_->FormCreate();
    form9_ = std::make_unique<TForm9>(windows_, services_, settings_, form1_.get());
    windows_.form9 = form9_.get();
    form9_->FormCreate();
    form10_ = std::make_unique<TForm10>(form1_.get());
    windows_.form10 = form10_.get();

    form12_ = std::make_unique<TForm12>(windows_, services_, settings_, form1_.get());
    windows_.form12 = form12_.get();
    form12_->FormCreate();

    form13_ = std::make_unique<TForm13>(windows_, services_, form1_.get());
    windows_.form13 = form13_.get();
    form13_->FormCreate();
    form15_ = std::make_unique<TForm15>(windows_, settings_, form1_.get());
    windows_.form15 = form15_.get();
    form16_ = std::make_unique<TForm16>(windows_, services_, settings_, form1_.get());
    windows_.form16 = form16_.get();
    form16_->FormCreate();
    form17_ = std::make_unique<TForm17>(windows_, services_, settings_, form1_.get());
    windows_.form17 = form17_.get();
}

Application::~Application() {
    // The secondary windows are Qt children of the main window: each goes before it, or the
    // main window would delete them a second time.
    form17_.reset();
    windows_.form17 = nullptr;
    form16_.reset();
    windows_.form16 = nullptr;
    form15_.reset();
    windows_.form15 = nullptr;
    form13_.reset();
    windows_.form13 = nullptr;
    form12_.reset();
    windows_.form12 = nullptr;
    form10_.reset();
    windows_.form10 = nullptr;
    form9_.reset();
    windows_.form9 = nullptr;
    form8_.reset();
    windows_.form8 = nullptr;
    form7_.reset();
    windows_.form7 = nullptr;
    form6_.reset();
    windows_.form6 = nullptr;
    form5_.reset();
    windows_.form5 = nullptr;
    form4_.reset();
    windows_.form4 = nullptr;
    form3_.reset();
    windows_.form3 = nullptr;
    form2_.reset();
    windows_.form2 = nullptr;
    aboutBox_.reset();
    windows_.aboutBox = nullptr;
    form1_.reset();
    windows_.form1 = nullptr;
}

} // namespace quorvel
