#pragma once

#include "DirectoryServer.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

struct Response {
    int status = -1; // -1: no reply at all
    std::string body;
    std::string type;
};

// `text` percent-encoded for a query value or a path piece.
std::string encoded(const std::string &text);

// A quibo-directory on a fresh database of the backend under test.
class DirectoryTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    // The server must end cleanly: a sanitizer report makes its exit code non-zero.
    void TearDown() override;

    Response get(const std::string &target) const;
    // register.cgi with every key in the client's order; `fields` fills the ones given.
    Response registerUser(const std::string &handle, const std::string &password,
                          const std::map<std::string, std::string> &fields = {}) const;
    Response publish(const std::string &handle, const std::string &address) const;
    // The body of /ipadd/readit.cgi, as the contact pass reads it.
    std::string addressOf(const std::string &handle) const;

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<quibo::test::DirectoryServer> m_server;
};
