// The integrity check over small PE images stamped as the build stamps them: intact before and after
// signing, damaged by a byte changed anywhere the digest covers, untouched by what signing rewrites,
// and damaged by certificate entries that do not describe the file's end or by cut or garbled headers.
#include <gtest/gtest.h>

#include "driver/integrity_check.h"
#include "platform/win_constants.h"
#include "support/synthetic_pe.h"
#include "support/test_session.h"

namespace velora {
namespace {

using fakes::CertificateEntryOffset;
using fakes::kChecksumFieldOffset;
using fakes::PeKind;
using fakes::PutNumber;

constexpr const char* kOwnPath = "C:\\Downloads\\VeloraUpdate.exe";
const std::string kBody = std::string("vlfw\x02\x01\x00\x08", 8) + std::string(300, 'd');

class IntegrityCheckTest : public ::testing::Test {
 protected:
  IntegrityResult Check(const std::string& image) {
    fake.files.AddFile(kOwnPath, image);
    return CheckOwnIntegrity(fake.platform);
  }

  static std::string Flipped(std::string image, std::size_t offset) {
    image.at(offset) ^= 0x01;
    return image;
  }

  fakes::FakeWindows fake;
};

TEST_F(IntegrityCheckTest, AStampedImageIsIntactBeforeAndAfterSigningInBothPeKinds) {
  for (PeKind kind : {PeKind::Pe32, PeKind::Pe32Plus}) {
    const std::string stamped = fakes::StampedPeImage(kBody, kind);
    EXPECT_EQ(Check(stamped), IntegrityResult::Intact);
    const std::string signed_ = fakes::SignedPeCopy(stamped, kind);
    EXPECT_EQ(Check(signed_), IntegrityResult::Intact);
    // Signing again replaces the table with one of another size.
    EXPECT_EQ(Check(fakes::SignedPeCopy(stamped, kind, fakes::kSampleCertificateTable + "longer signature")),
              IntegrityResult::Intact);
  }
}

TEST_F(IntegrityCheckTest, AFlippedByteTheDigestCoversIsDamagedSignedOrNot) {
  const std::string stamped = fakes::StampedPeImage(kBody);
  const std::size_t stampAt = stamped.size() - kStampSize;
  const std::size_t covered[] = {
      3,                                         // MS-DOS header
      fakes::kPeHeaderOffset + 4,                // Machine
      kChecksumFieldOffset - 1,                  // the field before the checksum
      kChecksumFieldOffset + 4,                  // and after it
      CertificateEntryOffset(PeKind::Pe32) - 1,  // data directory entry 3
      CertificateEntryOffset(PeKind::Pe32) + 8,  // entry 5
      stampAt - 200,                             // the body
      stampAt - 1,                               // the last byte before the stamp
      stampAt,                                   // the marker
      stamped.size() - 1,                        // the digest
  };
  for (std::size_t offset : covered) {
    EXPECT_EQ(Check(Flipped(stamped, offset)), IntegrityResult::Damaged) << "unsigned, offset " << offset;
    EXPECT_EQ(Check(fakes::SignedPeCopy(Flipped(stamped, offset))), IntegrityResult::Damaged)
        << "signed, offset " << offset;
  }
  // PE32+ keeps its certificate entry 16 bytes further: where PE32 keeps it is covered there.
  const std::string wide = fakes::StampedPeImage(kBody, PeKind::Pe32Plus);
  EXPECT_EQ(Check(fakes::SignedPeCopy(Flipped(wide, CertificateEntryOffset(PeKind::Pe32)), PeKind::Pe32Plus)),
            IntegrityResult::Damaged);
}

TEST_F(IntegrityCheckTest, TheChecksumAndTheCertificateTableMayChange) {
  const std::string signed_ = fakes::SignedPeCopy(fakes::StampedPeImage(kBody));
  const std::size_t tableAt = signed_.size() - fakes::kSampleCertificateTable.size();
  for (std::size_t offset : {kChecksumFieldOffset, kChecksumFieldOffset + 3, tableAt, signed_.size() - 1}) {
    EXPECT_EQ(Check(Flipped(signed_, offset)), IntegrityResult::Intact) << "offset " << offset;
  }
  EXPECT_EQ(Check(Flipped(fakes::StampedPeImage(kBody), kChecksumFieldOffset + 1)), IntegrityResult::Intact);
}

TEST_F(IntegrityCheckTest, ACertificateEntryThatDoesNotDescribeTheFileEndIsDamaged) {
  const std::string stamped = fakes::StampedPeImage(kBody);
  const std::string signed_ = fakes::SignedPeCopy(stamped);
  const auto tableSize = static_cast<std::uint32_t>(fakes::kSampleCertificateTable.size());
  const auto withEntry = [&](std::string image, std::uint32_t offset, std::uint32_t size) {
    PutNumber(image, CertificateEntryOffset(PeKind::Pe32), offset, 4);
    PutNumber(image, CertificateEntryOffset(PeKind::Pe32) + 4, size, 4);
    return image;
  };
  const auto tableAt = static_cast<std::uint32_t>(stamped.size());
  EXPECT_EQ(Check(withEntry(signed_, tableAt, tableSize + 8)), IntegrityResult::Damaged);  // past the end
  EXPECT_EQ(Check(withEntry(signed_, tableAt, 0xFFFFFFF0)), IntegrityResult::Damaged);     // far past it
  EXPECT_EQ(Check(withEntry(signed_, 0xFFFFFFF8, tableSize)), IntegrityResult::Damaged);
  EXPECT_EQ(Check(withEntry(signed_, tableAt, tableSize - 8)), IntegrityResult::Damaged);  // short of it
  EXPECT_EQ(Check(signed_ + "trailing"), IntegrityResult::Damaged);
  EXPECT_EQ(Check(withEntry(signed_, 0, tableSize)), IntegrityResult::Damaged);
  EXPECT_EQ(Check(withEntry(stamped, tableAt, 0)), IntegrityResult::Damaged);
  // A table claimed to start inside the headers and run to the end.
  EXPECT_EQ(Check(withEntry(signed_, 0x40, static_cast<std::uint32_t>(signed_.size() - 0x40))),
            IntegrityResult::Damaged);
  // An unsigned file with bytes after its stamp.
  EXPECT_EQ(Check(stamped + std::string(8, '\0')), IntegrityResult::Damaged);
}

TEST_F(IntegrityCheckTest, CutOrGarbledHeadersAreDamaged) {
  const std::string stamped = fakes::StampedPeImage(kBody);
  for (std::size_t length :
       {std::size_t{0}, std::size_t{1}, std::size_t{0x3E}, fakes::kPeHeaderOffset + 2, fakes::kOptionalHeaderOffset + 1,
        kChecksumFieldOffset + 2, CertificateEntryOffset(PeKind::Pe32) + 5}) {
    EXPECT_EQ(Check(stamped.substr(0, length)), IntegrityResult::Damaged) << "cut at " << length;
  }
  // Each garbled image carries a stamp made over its own bytes, so only the header check can refuse it.
  const auto garbled = [](std::size_t offset, std::uint32_t value, std::size_t count) {
    std::string image = fakes::UnstampedPeImage(kBody);
    PutNumber(image, offset, value, count);
    return fakes::Stamp(image);
  };
  EXPECT_EQ(Check(garbled(0, 'Z' | ('M' << 8), 2)), IntegrityResult::Damaged);                  // no "MZ"
  EXPECT_EQ(Check(garbled(0x3C, 0xFFFFFFFC, 4)), IntegrityResult::Damaged);                     // e_lfanew far away
  EXPECT_EQ(Check(garbled(0x3C, 0x40, 4)), IntegrityResult::Damaged);                           // no "PE\0\0" there
  EXPECT_EQ(Check(garbled(fakes::kOptionalHeaderOffset, 0x107, 2)), IntegrityResult::Damaged);  // magic
  EXPECT_EQ(Check(garbled(fakes::DirectoryCountOffset(PeKind::Pe32), 4, 4)), IntegrityResult::Damaged);
  // SizeOfOptionalHeader that ends before entry 4, or beyond the file.
  EXPECT_EQ(Check(garbled(fakes::kPeHeaderOffset + 20, 96 + 4 * 8, 2)), IntegrityResult::Damaged);
  EXPECT_EQ(Check(garbled(fakes::kPeHeaderOffset + 20, 0xFFFF, 2)), IntegrityResult::Damaged);
}

TEST_F(IntegrityCheckTest, AFileThatCannotBeReadOrHashedIsUnreadable) {
  const std::string stamped = fakes::StampedPeImage(kBody);
  fake.files.AddFile(kOwnPath, stamped);
  fake.files.LockExternally(kOwnPath);
  EXPECT_EQ(CheckOwnIntegrity(fake.platform), IntegrityResult::Unreadable);
  fake.files.ReleaseExternalLocks(kOwnPath);

  fake.files.InjectFailure(fakes::FileOp::Read, kOwnPath, win::kErrorAccessDenied);
  EXPECT_EQ(CheckOwnIntegrity(fake.platform), IntegrityResult::Unreadable);

  fake.ownModule.digestFailure = win::kErrorInvalidParameter;
  EXPECT_EQ(Check(stamped), IntegrityResult::Unreadable);
  fake.ownModule.digestFailure.reset();

  fake.files.ownModulePath.reset();
  EXPECT_EQ(Check(stamped), IntegrityResult::Unreadable);
}

}  // namespace
}  // namespace velora
