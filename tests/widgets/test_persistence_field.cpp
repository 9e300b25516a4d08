#include "platform/Shell.h"
#include "platform/UserStore.h"
#include "value_edit_testing.h"
#include "widgets/HistoryEdit.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class FieldStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        valueedit_testing::App();
        ASSERT_TRUE(dir.isValid());
        TUserStore::SetRootDirectory(dir.filePath("store"));
    }
    void TearDown() override
    {
        TUserStore::SetRootDirectory(QString());
        shell::SetExecutableDirectory(QString());
    }

    // A field as a form creates it: properties applied while loading, then Loaded().
    std::unique_ptr<TValueEdit> Load(const QString& formText, const QString& key,
                                     TPersistenceLocation location = plInifile)
    {
        auto field = std::make_unique<TValueEdit>();
        field->SetLoading(true);
        field->setObjectName("txtStartingSN");
        field->Persistence().SetEnable(true);
        field->Persistence().SetLocation(location);
        field->Persistence().SetKey(key);
        field->Persistence().SetSection("SN");
        field->SetText(formText);
        field->Loaded();
        return field;
    }

    QByteArray FileText(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(FieldStore, TextSavedWhenTheFieldGoesComesBackAtTheNextLoad)
{
    const QString ini = dir.filePath("fields.ini");
    {
        auto field = Load("1", ini);
        EXPECT_EQ(field->Text(), "1"); // nothing stored yet
        field->SetText("4711");
    }
    EXPECT_TRUE(FileText(ini).contains("txtStartingSN=4711"));
    EXPECT_EQ(Load("1", ini)->Text(), "4711");
}

TEST_F(FieldStore, StoredAtSignLeavesTheFormsText)
{
    const QString ini = dir.filePath("fields.ini");
    Load("1", ini)->SetText("@");
    EXPECT_TRUE(FileText(ini).contains("txtStartingSN=@"));
    EXPECT_EQ(Load("form", ini)->Text(), "form");
}

TEST_F(FieldStore, WholeWindowTextIsStoredAndRestoredAsIs)
{
    const QString ini = dir.filePath("fields.ini");
    {
        auto field = Load("", ini);
        field->SetPrefix("No. ");
        field->SetText("12");
    }
    EXPECT_TRUE(FileText(ini).contains("txtStartingSN=No. 12"));
    auto field = Load("", ini);
    EXPECT_EQ(field->text(), "No. 12"); // restored raw, prefix included
}

TEST_F(FieldStore, EmptyKeyUsesTheProgramsIniFile)
{
    shell::SetExecutableDirectory(dir.path());
    const QString beside = dir.path() + "/widgets_test_persistence_field.INI";
    {
        auto field = Load("1", QString());
        field->SetText("77");
        EXPECT_EQ(field->Persistence().Key(), beside); // the name is kept
    }
    EXPECT_TRUE(FileText(beside).contains("txtStartingSN=77"));
    EXPECT_EQ(Load("1", QString())->Text(), "77");
}

TEST_F(FieldStore, UserStoreRoundTrip)
{
    Load("1", "Software/Tallyforge/Fields", plRegistry)->SetText("99");
    EXPECT_EQ(TUserStore("Software/Tallyforge/Fields").ReadString("SN", "txtStartingSN", ""), "99");
    EXPECT_EQ(Load("1", "Software/Tallyforge/Fields", plRegistry)->Text(), "99");
}

TEST_F(FieldStore, DisabledStoresWriteNothing)
{
    const QString ini = dir.filePath("fields.ini");
    {
        THistoryEdit field;
        field.setObjectName("txtPrefix");
        field.Persistence().SetKey(ini);
        field.LookupPersist().SetKey(ini);
        field.SetLookupItems({"A-"});
        field.SetText("A-");
    }
    EXPECT_FALSE(QFile::exists(ini));
}

TEST_F(FieldStore, HistoryFieldKeepsValueAndHistoryInTheirOwnSections)
{
    const QString ini = dir.filePath("fields.ini");
    auto make = [&] {
        auto field = std::make_unique<THistoryEdit>();
        field->SetLoading(true);
        field->setObjectName("txtPrefix");
        field->Persistence().SetEnable(true);
        field->Persistence().SetKey(ini);
        field->Persistence().SetSection("Values");
        field->LookupPersist().SetEnable(true);
        field->LookupPersist().SetKey(ini);
        field->LookupPersist().SetSection("History");
        field->Loaded();
        return field;
    };
    {
        auto field = make();
        field->SetLookupItems({"A-", "B-"});
        field->SetText("B-");
    }
    auto field = make();
    EXPECT_EQ(field->Text(), "B-");
    EXPECT_EQ(field->LookupItems(), (QStringList{"A-", "B-"}));
}

} // namespace
