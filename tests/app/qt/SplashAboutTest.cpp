#include "app/TfrmAbout.h"
#include "app/TfrmSplash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tallix;

namespace {

TEST(TfrmSplashTest, BorderlessOnTopAndSizedToItsPicture) {
    TfrmSplash splash;
    EXPECT_EQ(splash.objectName(), "frmSplash");
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_NE(splash.findChild<QLabel*>("imgSplash"), nullptr);
    ASSERT_NE(splash.findChild<QTimer*>("Timer1"), nullptr);
    const QSize picture = splash.imgSplash->pixmap().size();
    EXPECT_FALSE(picture.isEmpty());
    EXPECT_EQ(splash.imgSplash->size(), picture);
    EXPECT_EQ(splash.size(), picture);
    EXPECT_EQ(splash.Timer1->interval(), 2000);
    EXPECT_TRUE(splash.Timer1->isActive());
}

TEST(TfrmSplashTest, ShownModallyItClosesItselfWhenTheTimerTicks) {
    TfrmSplash splash;
    splash.Timer1->setInterval(100);
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(splash.isVisible());
}

TEST(TfrmSplashTest, ATickBeforeItIsShownDoesNotKeepItOpenForGood) {
    TfrmSplash splash;
    splash.Timer1->setInterval(50);
    QTest::qWait(120); // the start-up took longer than the interval
    EXPECT_FALSE(splash.isVisible());
    QElapsedTimer clock;
    clock.start();
    QTimer guard; // fails the test rather than hanging it
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &splash, &QDialog::reject);
    guard.start(5000);
    splash.exec();
    EXPECT_TRUE(guard.isActive()) << "the splash did not close itself";
    EXPECT_GE(clock.elapsed(), 40); // shown for its whole interval
}

TEST(TfrmAboutTest, ShowsTheVersionInBoldArialAndClosesOnOk) {
    TfrmAbout about;
    EXPECT_EQ(about.objectName(), "frmAbout");
    EXPECT_EQ(about.windowTitle(), "About Tallix32");
    QLabel* label = about.findChild<QLabel*>("lblAbout");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith("Version 1.3: July 1998\n"));
    EXPECT_GT(label->text().count('\n'), 1); // contact lines follow
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->font().family(), "Arial");
    EXPECT_TRUE(label->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(label->wordWrap());
    ASSERT_NE(about.findChild<QWidget*>("pnlPicture"), nullptr);
    EXPECT_FALSE(about.imgAbout->pixmap().isNull());

    QPushButton* ok = about.findChild<QPushButton*>("btnOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "&OK");
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

} // namespace
