// A run's data file as the table reads it: RFC 4180 fields, UTF-8 with or without a
// byte-order mark, CRLF or LF, and a malformed file refused with the line at fault; and
// {data:Column} in an item's text filled from a ticket's row.
#include "platform/Exception.h"
#include "ticket/DataRows.h"
#include "ticket/TicketItems.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using ticket::TDataTable;

struct Parsed {
    const char* name;
    QByteArray bytes;
    QStringList columns;
    QList<QStringList> rows;
};

class DataTableReads : public testing::TestWithParam<Parsed> { };

TEST_P(DataTableReads, FieldsAsWritten)
{
    const Parsed& p = GetParam();
    const auto table = TDataTable::FromBytes(p.bytes, QStringLiteral("seats.csv"));
    EXPECT_EQ(table->Columns(), p.columns);
    ASSERT_EQ(table->Rows(), p.rows.size());
    for (int row = 0; row < p.rows.size(); ++row)
        for (int column = 0; column < p.columns.size(); ++column)
            EXPECT_EQ(table->Value(row, column), p.rows[row][column]) << "row " << row << " column " << column;
    EXPECT_EQ(table->Value(p.rows.size(), 0), QString()); // past the last row
}

INSTANTIATE_TEST_SUITE_P(
    Csv, DataTableReads,
    testing::Values(
        Parsed { "plain_lf", "Name,Seat\nAnna,A1\nBen,B2\n", { "Name", "Seat" }, { { "Anna", "A1" }, { "Ben", "B2" } } },
        Parsed { "crlf_no_last_line_end", "Name,Seat\r\nAnna,A1\r\nBen,B2", { "Name", "Seat" }, { { "Anna", "A1" }, { "Ben", "B2" } } },
        Parsed { "quoted_comma_and_doubled_quote", "Name,Seat\r\n\"Smith, Anna\",\"the \"\"good\"\" one\"\r\n",
                 { "Name", "Seat" }, { { "Smith, Anna", "the \"good\" one" } } },
        Parsed { "line_end_inside_quotes", "Name,Note\n\"Anna\",\"two\r\nlines\"\nBen,x\n", { "Name", "Note" },
                 { { "Anna", "two\r\nlines" }, { "Ben", "x" } } },
        Parsed { "bom_and_non_latin", "\xEF\xBB\xBFИмя,席\n\xD0\x91\xD0\xBE\xD1\x80\xD0\xB8\xD1\x81,\xE6\x9D\xB1 7\n",
                 { QString::fromUtf8("Имя"), QString::fromUtf8("席") }, { { QString::fromUtf8("Борис"), QString::fromUtf8("東 7") } } },
        Parsed { "empty_fields_and_trailing_blank_lines", "A,B,C\n,,\nx,,z\n\r\n\n", { "A", "B", "C" }, { { "", "", "" }, { "x", "", "z" } } },
        Parsed { "header_only", "Seat\r\n", { "Seat" }, {} }),
    [](const testing::TestParamInfo<Parsed>& info) { return std::string(info.param.name); });

struct Malformed {
    const char* name;
    QByteArray bytes;
    const char* message; // the end of what is raised
};

class DataTableRefuses : public testing::TestWithParam<Malformed> { };

TEST_P(DataTableRefuses, NamingTheLine)
{
    try {
        TDataTable::FromBytes(GetParam().bytes, QStringLiteral("/d/seats.csv"));
        FAIL() << "read";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().endsWith(QString::fromUtf8(GetParam().message))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("/d/seats.csv"))) << e.Message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Csv, DataTableRefuses,
    testing::Values(Malformed { "open_quote", "Name,Seat\nAnna,A1\nBen,\"B2\nCal,C3\n", "line 3 opens a quoted field that never closes" },
                    Malformed { "text_after_quote", "Name,Seat\r\n\"Anna\"x,A1\r\n", "line 2 has text after a closing quote" },
                    Malformed { "fields_short", "Name,Seat\nAnna,A1\n\"two\nlines\",B\nCal\n", "line 5 has 1 fields, the header 2" },
                    Malformed { "fields_over", "Name,Seat\nAnna,A1,x\n", "line 2 has 3 fields, the header 2" },
                    Malformed { "not_utf8", "Name,Seat\nAnna,A1\nJos\xE9,B2\n", "line 3 is not UTF-8 text" },
                    Malformed { "twice_named", "Seat,Name,Seat\n", "line 1 names the column 'Seat' twice" },
                    Malformed { "empty", "", "has no header row" }),
    [](const testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

TEST(DataTable, ReadsOnlyARegularFileAndHashesItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_THROW(TDataTable::Load(dir.filePath(QStringLiteral("missing.csv"))), Exception);
    EXPECT_THROW(TDataTable::Load(dir.path()), Exception); // a folder
    EXPECT_THROW(TDataTable::Load(QStringLiteral("/dev/zero")), Exception);
    // The SHA-256 of "Seat\n": the file's bytes as they are, not the text read from them.
    const auto table = TDataTable::FromBytes("Seat\n", QStringLiteral("s.csv"));
    EXPECT_EQ(table->Sha256(), QStringLiteral("110140444f003f3c39ffcd4f03f46b63c99b676f1d67be72513677ff5fef540a"));
    EXPECT_NE(TDataTable::FromBytes("\xEF\xBB\xBFSeat\n", QStringLiteral("s.csv"))->Sha256(), table->Sha256());
}

TEST(DataTable, ItemsTakeTheirRowsFieldsAndLeaveTheRestAsTyped)
{
    const auto table = TDataTable::FromBytes("Name,Seat\nAnna,A1\nBen,{B2}\n", QStringLiteral("s.csv"));
    const ticket::TDataRow first { table.get(), 0 };
    const ticket::TDataRow second { table.get(), 1 };
    const ticket::TDataRow beyond { table.get(), 2 };
    const QString text = QStringLiteral("{serial} {data:Name} at {data:Seat}, {data:Gate} {data:Name");
    EXPECT_EQ(ticket::ItemText(text, QStringLiteral("S-7"), QStringLiteral("7"), QString(), std::nullopt, std::nullopt, &first),
              QStringLiteral("S-7 Anna at A1, {data:Gate} {data:Name"));
    // A field's own braces are text, never read again.
    EXPECT_EQ(ticket::ItemText(QStringLiteral("{data:Seat}{serial}"), QStringLiteral("S-8"), QStringLiteral("8"), QString(), std::nullopt,
                               std::nullopt, &second),
              QStringLiteral("{B2}S-8"));
    EXPECT_EQ(ticket::ItemText(QStringLiteral("{data:Seat}"), QStringLiteral("S-9"), QStringLiteral("9"), QString(), std::nullopt,
                               std::nullopt, &beyond),
              QStringLiteral("{data:Seat}"));
    // Without data, as typed (a settings file of an older version prints as it did).
    EXPECT_EQ(ticket::ItemText(QStringLiteral("{data:Seat}"), QStringLiteral("S-9"), QStringLiteral("9"), QString()), QStringLiteral("{data:Seat}"));
    EXPECT_EQ(ticket::DataColumns(QStringLiteral("{data:Seat} {data:Name} {data:Seat} {data:")), (QStringList { "Seat", "Name" }));
}

} // namespace
