#include "ConsentFixture.h"

#include "consent/ContactRequests.h"
#include "contacts/ContactsFile.h"
#include "peer/PeerRecord.h"

using namespace quibo;
using namespace quibo::test;

namespace {

enum class Answer { Yes, No, CloseBox };

struct HandshakeCase {
    const char *name;
    Answer answer;
    QStringList askerMessages; // "line1|line2"
};

class HandshakeTest : public ConsentTest, public ::testing::WithParamInterface<HandshakeCase> {};

// Alice adds bob, logs on again and so announces herself; bob is asked and answers.
TEST_P(HandshakeTest, TheAnswerReachesTheAsker)
{
    const HandshakeCase &c = GetParam();
    auto bob = loggedOn(QStringLiteral("bob"), QStringLiteral("127.0.0.3"), {QStringLiteral("carol")});
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), {QStringLiteral("carol")});
    addContact(*alice, QStringLiteral("bob"));
    ASSERT_EQ(alice->client->contacts().contactCount(), 2);
    EXPECT_TRUE(bob->consent.log.isEmpty());

    alice = loggedOnAgain(std::move(alice), QStringLiteral("127.0.0.2"));
    const auto request = opened(*bob, "request-to-add");
    ASSERT_TRUE(request);
    EXPECT_EQ(bob->consent.log, QStringList{QStringLiteral("request-to-add alice")});
    EXPECT_EQ(bob->client->contactRequests().requesterAddress(), QStringLiteral("127.0.0.2"));

    if (c.answer == Answer::CloseBox)
        request->closeBox();
    else
        request->press(c.answer == Answer::Yes ? ConsentUi::YesButton : ConsentUi::NoButton);
    ASSERT_TRUE(waitFor([&] { return alice->messages().size() == c.askerMessages.size(); }))
        << alice->messages().join(u',').toStdString();
    EXPECT_EQ(alice->messages(), c.askerMessages);
    EXPECT_TRUE(bob->messages().isEmpty());

    const ContactTable &bobTable = bob->client->contacts();
    const QStringList aliceFile = contacts_file::parse(alice->read(contacts_file::FileName));
    ASSERT_EQ(alice->client->contacts().contactCount(), 2) << "the table keeps bob until restart";
    if (c.answer == Answer::Yes) {
        EXPECT_EQ(contacts_file::parse(bob->read(contacts_file::FileName)),
                  (QStringList{QStringLiteral("carol"), QStringLiteral("alice")}));
        ASSERT_EQ(bobTable.contactCount(), 2);
        EXPECT_EQ(bobTable.contact(1).address, QStringLiteral("127.0.0.2"));
        EXPECT_TRUE(bob->mainWindow.items.contains(QStringLiteral("alice")));
        EXPECT_EQ(aliceFile, (QStringList{QStringLiteral("carol"), QStringLiteral("bob")}));
    } else {
        EXPECT_EQ(bobTable.contactCount(), 1);
        EXPECT_EQ(aliceFile, QStringList{QStringLiteral("carol")});
        EXPECT_EQ(alice->client->contacts().contact(1).address, QStringLiteral("0"));
        EXPECT_TRUE(alice->client->contacts().contact(1).deleted);
    }
}

const QString Refused = QStringLiteral("bob|Refused To Add You To Contact List");
const QString Deleted = QStringLiteral("Contact Deleted!|Change Will Take Effect When You Restart");

INSTANTIATE_TEST_SUITE_P(
    Answers, HandshakeTest,
    ::testing::Values(
        HandshakeCase{"Yes", Answer::Yes, {QStringLiteral("bob|User Added You To Their Contact List")}},
        HandshakeCase{"No", Answer::No, {Refused, Deleted}},
        HandshakeCase{"CloseBox", Answer::CloseBox, {Refused, Deleted}}),
    [](const ::testing::TestParamInfo<HandshakeCase> &param) { return std::string(param.param.name); });

// The user's own name on the list: a "|006" in that name comes back from 127.0.0.1, refused by
// nobody, and deletes nothing.
TEST_F(ConsentTest, ARefusalInTheOwnNameDeletesNothing)
{
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"),
                          {QStringLiteral("carol"), QStringLiteral("alice")});
    RecordSender &sender = alice->client->peerSender().records();
    // The acceptance behind it marks when the refusal has been handled.
    for (const char *code : {"|006", "|007"}) {
        const QByteArray record =
            peer::buildRecord(QStringLiteral("alice"), QString::fromLatin1(code), peer::RefusalBlock);
        const auto sent = sender.sendRecord(QStringLiteral("127.0.0.2"), record);
        ASSERT_TRUE(waitFor([&] { return sent.isReady(); }));
    }
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(), QStringList{QStringLiteral("alice|User Added You To Their Contact List")});
    EXPECT_EQ(contacts_file::parse(alice->read(contacts_file::FileName)).size(), 2);
}

} // namespace
