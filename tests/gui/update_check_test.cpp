// The main window's update timer and notice, and the About dialog.
#include <chrono>
#include <thread>

#include <QCheckBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>

#include "gui/app/about_dialog.h"
#include "gui/app/options_dialog.h"
#include "gui_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWait = 2000;

class UpdateCheckTest : public GuiTest {
 protected:
  // Starts with the internet connection and the update check switched on (or not).
  MainWindow& startWith(bool internet, bool update) {
    writeText(home_ / "Konfex.xml", std::string("<Conf_Settings><lastinternet><enable_internet>") +
                                        (internet ? "1" : "0") + "</enable_internet><enable_update>" +
                                        (update ? "1" : "0") + "</enable_update></lastinternet></Conf_Settings>");
    return start();
  }
  QTimer* timer() { return find<QTimer>(window_.get(), "Timer_Update"); }
  QLabel* notice() { return find<QLabel>(window_.get(), "LL_Update"); }
  bool noticeShown() { return notice()->isVisibleTo(window_.get()); }
};

TEST_F(UpdateCheckTest, TheTimerRunsOnlyWithBothOptions) {
  for (const auto& [internet, update] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
    startWith(internet, update);
    EXPECT_FALSE(timer()->isActive()) << internet << update;
  }
  startWith(true, true);
  EXPECT_TRUE(timer()->isActive());
  EXPECT_EQ(timer()->interval(), 60000) << "the first check a minute after start";
  EXPECT_TRUE(http_.requests.empty());
  EXPECT_FALSE(noticeShown());
}

TEST_F(UpdateCheckTest, ANewerVersionShowsTheNoticeThenTheTimerWaitsTwoHours) {
  startWith(true, true);
  http_.answer = {200, "VER. 1.001"};
  timer()->setInterval(1);  // instead of a minute
  ASSERT_TRUE(QTest::qWaitFor([&] { return noticeShown(); }, kWait));
  ASSERT_EQ(http_.requests.size(), 1u);
  EXPECT_EQ(http_.requests[0].url, "http://maker.test/home/download/GetversionSW.asp?nomesw=QS40213");
  EXPECT_EQ(notice()->text(),
            "<a href=\"http://maker.test/Home/download/download.asp#QD40213\">New Version Available. Click Here for "
            "more Details</a>");
  EXPECT_TRUE(timer()->isActive());
  EXPECT_EQ(timer()->interval(), 7200000);
  emit notice()->linkActivated(QStringLiteral("http://maker.test/Home/download/download.asp#QD40213"));
  EXPECT_EQ(browser_.opened, std::vector<std::string>{"http://maker.test/Home/download/download.asp#QD40213"});

  // The next answer names no newer version: the notice goes, the timer still re-arms.
  http_.answer = {200, "VER. 1.000"};
  timer()->setInterval(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !noticeShown(); }, kWait));
  EXPECT_EQ(http_.requests.size(), 2u);
  EXPECT_EQ(timer()->interval(), 7200000);
  EXPECT_TRUE(timer()->isActive());
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(UpdateCheckTest, OneRequestServesTheTimerAndTheCheckButton) {
  startWith(true, true);
  http_.silent = true;
  http_.answer = {200, "VER. 2.000"};
  timer()->setInterval(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !http_.requests.empty(); }, kWait));
  EXPECT_FALSE(timer()->isActive()) << "stopped while its check runs";

  SoftOptionsDialog& d = window_->softOptionsDialog();
  d.show();
  find<QTabWidget>(&d, "PC_Options")->setCurrentIndex(1);
  click(&d, "Btn_Check_Update");
  QTest::qWait(50);
  EXPECT_EQ(http_.requests.size(), 1u) << "no second request while one runs";

  http_.silent = false;
  ASSERT_TRUE(QTest::qWaitFor([&] { return find(&d, "LL_Check_Update")->isVisibleTo(&d); }, kWait));
  EXPECT_TRUE(noticeShown()) << "both heard the one answer";
  EXPECT_EQ(http_.requests.size(), 1u);
  d.close();
}

TEST_F(UpdateCheckTest, TheCheckWaitsUntilAWaitForAProgramIsOver) {
  startWith(true, true);
  window_->show();
  http_.answer = {200, "VER. 1.001"};
  timer()->setInterval(1);
  int polls = 0;
  bool requestedDuringWait = false;
  launcher_.onPoll = [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // real time passes: the timer comes due
    requestedDuringWait = requestedDuringWait || !http_.requests.empty();
    return ++polls == 40;
  };
  EXPECT_TRUE(window_->startProgram("/opt/Ethernet_Update.exe", "", false) == StartOutcome::Exited);
  EXPECT_FALSE(requestedDuringWait);
  EXPECT_FALSE(timer()->isActive()) << "the timer came due during the wait";
  ASSERT_TRUE(QTest::qWaitFor([&] { return noticeShown(); }, kWait)) << "and the check ran after it";
  EXPECT_EQ(http_.requests.size(), 1u);
}

TEST_F(UpdateCheckTest, SwitchingTheCheckOffWhileItRunsLeavesTheTimerOff) {
  startWith(true, true);
  http_.silent = true;
  timer()->setInterval(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !http_.requests.empty(); }, kWait));
  state_->settings().enableUpdate = false;
  window_->setUpdateTimer();
  http_.silent = false;
  QTest::qWait(100);
  EXPECT_FALSE(timer()->isActive());
}

TEST_F(UpdateCheckTest, AboutShowsTheIdentityAndLinksToTheMaker) {
  start();
  whileModal([&] { click(window_.get(), "Btn_Info"); },
             [&](QWidget* d) {
               EXPECT_EQ(d->objectName(), "TFAbout");
               EXPECT_EQ(d->size(), QSize(425, 148));
               EXPECT_EQ(labelText(d, "Label1"), "Software Konfex ");
               EXPECT_TRUE(find<QLabel>(d, "Label1")->font().bold());
               EXPECT_EQ(labelText(d, "Label2"), "EtherNet/IP Master / CAN - Converter");
               EXPECT_EQ(labelText(d, "Label6"), "Software Code : ");
               EXPECT_EQ(labelText(d, "Label9"), "QS40213");
               EXPECT_EQ(labelText(d, "Label3"), "Version :");
               EXPECT_EQ(labelText(d, "Label10"), "1.000");
               EXPECT_EQ(labelText(d, "Label8"), "Document Code :");
               EXPECT_EQ(labelText(d, "Label12"), "QM40213");
               EXPECT_EQ(labelText(d, "Label4"), "maker.test");
               const QRect address = find(d, "Label4")->geometry();
               EXPECT_GT(address.left(), 425 / 2);
               EXPECT_GT(address.top(), 148 / 2);
               auto* logo = find<QLabel>(d, "Image2");
               EXPECT_EQ(logo->size(), QSize(81, 81));
               EXPECT_FALSE(logo->pixmap().isNull());
               QTest::mouseClick(find(d, "Label4"), Qt::LeftButton);
               QTest::mouseClick(logo, Qt::LeftButton);
               EXPECT_EQ(find<QPushButton>(d, "LbButton1")->text(), "OK");
               click(d, "LbButton1");
               EXPECT_FALSE(d->isVisible());
             });
  EXPECT_EQ(browser_.opened, std::vector<std::string>(2, "http://maker.test/HOME/default.asp?frompg=QS40213"));
}

}  // namespace
}  // namespace konfex::test
