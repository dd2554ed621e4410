#pragma once
// Makes every window once, in the program's order, and owns them with the registry.

#include "platform/services.h"
#include "ui/main/settings.h"
#include "ui/windows.h"

#include <QString>

#include <memory>

namespace quorvel {

class TForm1;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm16;
class TForm7;
class TForm12;
class TForm13;
class TAboutBox;
class TForm2;
class TForm8;
class TForm9;
class TForm10;
class TForm15;
class TForm17;

class Application {
public:
    // `appFolder` ends with "/". The services must outlive the Application.
    Application(Services& services, QString appFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Windows& windows() { return windows_; }
    TForm1& mainWindow() { return *form1_; }
    Settings& settings() { return settings_; }

private:
    Services& services_;
    Settings settings_;
    Windows windows_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm16> form16_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm12> form12_;
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm8> form8_;
    std::unique_ptr<TForm9> form9_;
    std::unique_ptr<TForm10> form10_;
    std::unique_ptr<TForm15> form15_;
    std::unique_ptr<TForm17> form17_;
};

} // namespace quorvel
