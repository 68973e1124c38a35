#include "SimTestLink.h"

#include "sim/ReadingPacking.h"

// The file-system semantics the PC algorithms rely on: walking the tree,
// insert positions, deletes on both kinds of gauge, the session counter,
// sequential positions and the tolerant parameter conventions.

namespace {

constexpr int Star = 0x80;

struct TEntryAnswer
{
    int Status = -1;
    int Index = 0;
    int Type = 0;
    int Handle = 0;
    QString Name;
};

TEntryAnswer TreeGet(TSimTestLink &link, const char *query, int index)
{
    const QByteArray p = Payload(link.Send(QStringLiteral("*FTG") + QLatin1String(query), Word(index)));
    TEntryAnswer entry;
    if (p.size() < 16)
        return entry;
    entry.Status = quint8(p[0]);
    entry.Index = WordAt(p, 1);
    entry.Type = WordAt(p, 3);
    entry.Handle = WordAt(p, 5);
    entry.Name = QString::fromLatin1(p.mid(15, p.indexOf('\0', 15) - 15));
    return entry;
}

// The explorer's walk: the starting answer ("A" for the top level, "D" for a
// directory), then "N" from each previous answer while the status is 0.
QString Walk(TSimTestLink &link, int directory)
{
    TEntryAnswer at = directory == 1 ? TreeGet(link, "A", 1) : TreeGet(link, "D", directory);
    QStringList names;
    if (at.Index == 0)
        return {};
    for (;;) {
        at = TreeGet(link, "N", at.Index);
        if (at.Status != 0)
            break;
        QString name = at.Name;
        if (at.Type == 1)
            name += QLatin1Char('{') + Walk(link, at.Index) + QLatin1Char('}');
        names << name;
    }
    return names.join(QStringLiteral(", "));
}

int Session(TSimTestLink &link)
{
    return quint8(Payload(link.Send(QStringLiteral("*FTS")))[0]);
}

int Insert(TSimTestLink &link, int position, int kind, int reference, int following, const QByteArray &name,
           int handle = 0xFFFF)
{
    QByteArray request = Bytes({Star | 'F', 'T', 'I', position, kind, 1}) + Word(reference) + Word(following)
        + Word(handle) + name + QByteArray(1, '\0') + "PC";
    const QByteArray answer = Payload(link.SendRaw(request));
    return answer.size() == 4 ? WordAt(answer, 0) : -1;
}

bool HasFile(TSimTestLink &link, int type, int handle, int number = 0)
{
    const QByteArray answer = Payload(link.Send(QStringLiteral("*FA \"G\""), Bytes({type}) + Word(handle) + Bytes({number})));
    return answer.size() == 3 && answer[0] == 1;
}

} // namespace

TEST(SimFileSystem, WalkingTheTreeGivesTheScenario)
{
    TSimTestLink link;
    EXPECT_EQ(Walk(link, 1), QStringLiteral("DirectMode, Bridge 12{Girder 3, Girder 4, Pier 2{Bearing plate}}, "
                                            "Tank 4{Tank 4 shell, Tank 4 roof}, Duplex coating"));
    TSimTestLink compact(QStringLiteral("compact-gauge"));
    EXPECT_TRUE(Walk(compact, 1).startsWith(QStringLiteral("Batch 01, Batch 02, Batch 03")));

    // Slots: a never-used one reads as free, one beyond the capacity names nothing.
    EXPECT_EQ(TreeGet(link, "A", 300).Type, 0xFFFF);
    EXPECT_EQ(TreeGet(link, "A", 600).Status, 2);
    EXPECT_EQ(TreeGet(link, "D", 5).Status, 2); // a batch is no directory
}

TEST(SimFileSystem, InsertPositions)
{
    struct TCase
    {
        const char *what;
        int position, reference, following;
        QString expected;
    };
    // Bridge 12 is index 3; Girder 3, Girder 4, Pier 2 are 5, 6, 7.
    const QList<TCase> cases = {
        {"first inside, before the first entry", 1, 3, 5, QStringLiteral("New, Girder 3, Girder 4, Pier 2{Bearing plate}")},
        {"after an entry, before its sibling", 0, 5, 6, QStringLiteral("Girder 3, New, Girder 4, Pier 2{Bearing plate}")},
        {"after the last entry", 0, 7, 0, QStringLiteral("Girder 3, Girder 4, Pier 2{Bearing plate}, New")},
        {"following names no entry of the list", 0, 5, 99, QStringLiteral("Girder 3, New, Girder 4, Pier 2{Bearing plate}")},
    };
    for (const TCase &c : cases) {
        TSimTestLink link;
        const int free = WordAt(Payload(link.Send(QStringLiteral("*FTGI"))), 0);
        const int session = Session(link);
        EXPECT_EQ(Insert(link, c.position, 2, c.reference, c.following, "New", 90), free) << c.what;
        EXPECT_EQ(Walk(link, 3), c.expected) << c.what;
        EXPECT_NE(Session(link), session) << c.what;
    }

    TSimTestLink link;
    const int directory = Insert(link, 1, 1, 7, 0, "A directory name longer than 15");
    ASSERT_GT(directory, 0);
    EXPECT_EQ(TreeGet(link, "A", directory).Name, QStringLiteral("A directory nam"));
    EXPECT_EQ(TreeGet(link, "D", directory).Status, 1); // empty
    EXPECT_EQ(WordAt(Payload(link.Send(QStringLiteral("*FTGI"))), 0), directory + 2); // entry and list head
    const int inside = Insert(link, 1, 6, directory, 0, "Set", 91);
    EXPECT_EQ(Walk(link, directory), QStringLiteral("Set"));
    EXPECT_EQ(TreeGet(link, "A", inside).Handle, 91);

    TSimTestLink compact(QStringLiteral("compact-gauge"));
    EXPECT_EQ(Insert(compact, 0, 2, 2, 0, "New", 90), -1);
}

TEST(SimFileSystem, DeleteOnAGaugeWithDirectories)
{
    TSimTestLink link;
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(3))), Bytes({1})); // Bridge 12 is not empty
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(2))), Bytes({1})); // DirectMode stays

    ASSERT_TRUE(HasFile(link, 2, 22));
    const int session = Session(link);
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(9))), Bytes({0})); // Bearing plate
    EXPECT_NE(Session(link), session);
    EXPECT_FALSE(HasFile(link, 2, 22));
    EXPECT_FALSE(HasFile(link, 3, 22));
    EXPECT_EQ(TreeGet(link, "A", 9).Type, 0);
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(9))), Bytes({1}));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(7))), Bytes({0})); // Pier 2, empty now
    EXPECT_EQ(Walk(link, 3), QStringLiteral("Girder 3, Girder 4"));

    // The active batch stops being active.
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(6))), Bytes({0}));
    EXPECT_EQ(WordAt(Payload(link.Send(QStringLiteral("*FB \"I\""))), 0), 0xFFFF);
}

TEST(SimFileSystem, DeleteOnACompactGaugeEmptiesTheEntry)
{
    TSimTestLink link(QStringLiteral("compact-gauge"));
    // Batch 04 (index 5, handle 4) is the active batch: the first delete closes it.
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(5))), Bytes({2}));
    EXPECT_TRUE(HasFile(link, 3, 4));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FTD"), Word(5))), Bytes({0}));
    EXPECT_FALSE(HasFile(link, 3, 4));
    EXPECT_FALSE(HasFile(link, 2, 4));
    const TEntryAnswer entry = TreeGet(link, "A", 5);
    EXPECT_EQ(entry.Type, 2);
    EXPECT_EQ(entry.Handle, 4);
    EXPECT_EQ(entry.Name, QStringLiteral("Batch 04"));
    // An empty entry cannot be made active; after a new upload it can.
    EXPECT_EQ(link.Send(QStringLiteral("*FB \"O\""), Word(5)).Kind, quint32(fkNak));
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 2, 4, 0, 0}));
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 3, 4, 0, 0}));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FB \"O\""), Word(5))), Word(4));
}

// A read or write moves the position when the gauge answers, even if that
// answer is lost: a client that repeats it without positioning skips bytes
// (or writes them twice).
TEST(SimFileSystem, LostAnswerStillMovesThePosition)
{
    TSimTestLink link;
    ASSERT_TRUE(link.Sim->Faults().Add(QStringLiteral("drop=FFR:2")));
    const QByteArray file = link.Model().File({2, 23, 0})->Data;
    EXPECT_EQ(Payload(link.SendRaw(Bytes({Star | 'F', 'F', 'O', 2, 23, 0, 0}))), Bytes({0x30, 0x75, 0, 0}));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FFR 1E"))), file.mid(0, 30));
    EXPECT_EQ(link.Send(QStringLiteral("*FFR 1E")).Kind, 0u); // lost
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FFR 1E"))), file.mid(60, 30));
    link.Send(QStringLiteral("*FFP"), Bytes({30, 0, 0, 0}));
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FFR 1E"))), file.mid(30, 30));

    link.Send(QStringLiteral("*FFP"), Bytes({0x2E, 0x75, 0, 0})); // 29998: two bytes before the end
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FFR 1E"))).size(), 2);
    EXPECT_EQ(Payload(link.Send(QStringLiteral("*FFR 1E"))).size(), 0);
    EXPECT_EQ(link.Send(QStringLiteral("*FFR FF")).Kind, quint32(fkAnswer));

    // A write whose answer is lost was carried out: repeating it writes twice.
    ASSERT_TRUE(link.Sim->Faults().Add(QStringLiteral("drop=FFW:1")));
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 2, 88, 0, 0}));
    EXPECT_EQ(link.Send(QStringLiteral("*FFW"), "ABC").Kind, 0u);
    EXPECT_EQ(link.Send(QStringLiteral("*FFW"), "ABC").Kind, quint32(fkAnswer));
    EXPECT_EQ(link.Model().File({2, 88, 0})->Data, QByteArray("ABCABC"));
}

TEST(SimFileSystem, TolerantParameterConventions)
{
    TSimTestLink link; // F+N sensor: ids 12 CalTyp, 13 ParHiLim, 19 CalAvail
    const QByteArray handle = Word(77);
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 3}) + handle + Bytes({0}));
    auto write = [&](int id, int index, const QByteArray &value) {
        return link.SendRaw(Bytes({Star | 'F', 'P', 'W', id, index}) + value).Kind;
    };
    auto read = [&](int id, int index) { return Payload(link.Send(QStringLiteral("*FPR"), Bytes({id, index}))); };
    const QByteArray limit = Bytes({0x00, 0x00, 0x7A, 0x43}); // 250.0f

    ASSERT_EQ(write(13, 0, limit), quint32(fkAnswer)); // upload counts series from 0 ...
    EXPECT_EQ(read(13, 1), limit);                     // ... the download from 1
    EXPECT_EQ(read(13, 0), limit);

    ASSERT_EQ(write(12, 0, Word(7)), quint32(fkAnswer)); // "CalTyp" written as 16 bits at index 0
    EXPECT_EQ(read(12, 0), Bytes({7}));                  // read back as the batch's byte
    ASSERT_EQ(write(12, 1, Bytes({3})), quint32(fkAnswer));
    EXPECT_EQ(read(12, 1), Word(3));                     // a calibration's method is 16 bits

    ASSERT_EQ(write(19, 0, Bytes({1})), quint32(fkAnswer)); // "CalAvail" at index 0: every system
    EXPECT_EQ(read(19, 1), Bytes({1}));
    EXPECT_EQ(read(19, 2), Bytes({1}));
    ASSERT_EQ(write(19, 2, Bytes({255})), quint32(fkAnswer));
    EXPECT_EQ(read(19, 2), Bytes({255}));
    EXPECT_EQ(read(19, 1), Bytes({1}));

    EXPECT_EQ(write(13, 1, Bytes({1, 2})), quint32(fkNak)); // a single needs 4 bytes
    EXPECT_EQ(write(99, 0, Bytes({1})), quint32(fkNak));    // not in the table
    link.Send(QStringLiteral("*FFC"));
    EXPECT_EQ(link.Send(QStringLiteral("*FPR"), Bytes({13, 1})).Kind, quint32(fkNak)); // no file open
}

TEST(SimFileSystem, MaterialListIsRewrittenAfterErase)
{
    TSimTestLink link(QStringLiteral("ultrasonic-gauge"));
    const QByteArray size = Payload(link.SendRaw(Bytes({Star | 'F', 'F', 'O', 3, 13, 0, 122})));
    EXPECT_EQ(size, Bytes({5 * 18, 0, 0, 0}));
    QByteArray first = Payload(link.Send(QStringLiteral("*FFR 12")));
    EXPECT_EQ(first.left(8), QByteArray("Lacquer\0", 8));
    EXPECT_EQ(first.mid(16), Word(2350));

    link.Send(QStringLiteral("*FFE"));
    QByteArray record = QByteArray("Epoxy resin").leftJustified(16, '\0') + Word(2370);
    link.Send(QStringLiteral("*FFW"), record);
    link.Send(QStringLiteral("*FFC"));
    ASSERT_EQ(link.Model().Materials().size(), 1);
    EXPECT_EQ(link.Model().Materials()[0], qMakePair(QStringLiteral("Epoxy resin"), 2370));
}

TEST(SimFileSystem, ParameterSetBlockIsTheGaugesLayout)
{
    TSimTestLink link(QStringLiteral("ultrasonic-gauge"));
    EXPECT_EQ(Payload(link.SendRaw(Bytes({Star | 'F', 'F', 'O', 6, 40, 0, 0}))), Bytes({0x91, 0x01, 0, 0})); // 401
    QByteArray block;
    for (QByteArray chunk; (chunk = Payload(link.Send(QStringLiteral("*FFR 28")))).size() > 0;)
        block += chunk;
    ASSERT_EQ(block.size(), 401);
    EXPECT_EQ(WordAt(block, 1), 40); // the handle
    EXPECT_EQ(block.mid(46, 8), QByteArray("Lacquer\0", 8));
}

TEST(SimFileSystem, PackedReadingsMatchTheGaugeEncoding)
{
    using namespace SimPacking;
    struct TCase
    {
        double um;
        QByteArray bytes;
    };
    for (const TCase &c : {TCase{100.0, Bytes({0x00, 0x90, 0x4E})}, TCase{25.4, Bytes({0x66, 0x96, 0x4C})}}) {
        TReading reading;
        reading.Micrometres = c.um;
        EXPECT_EQ(PackReading(reading), c.bytes) << c.um;
    }
    const TReading back = UnpackReading(reinterpret_cast<const quint8 *>(Bytes({0x66, 0x96, 0x4C}).constData()));
    EXPECT_DOUBLE_EQ(*back.Micrometres, 25.39990234375);
    EXPECT_TRUE(back.Valid);
    EXPECT_EQ(PackReading(TReading{std::nullopt, false, 1}), Bytes({0xFF, 0x7F, 0x5B}));
    EXPECT_FALSE(UnpackReading(NoValueBytes).Micrometres.has_value());
}
