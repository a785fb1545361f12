#pragma once
// Result codes of the register communication library stand-in. The numbers up to 26 follow the register maker's
// numbering for this library; the codes from 100 on are the stand-in's own refusals (what a real register would
// refuse on its display). Every code listed in kAllResults has a line in koment.txt.
#include <cstdint>

namespace winip
{

enum Result : std::uint8_t {
    kOk = 0,
    // request, response and report files
    kRequestOpen = 1,    // the request file cannot be opened or read
    kResponseCreate = 2, // the response file cannot be created
    kRequestHeader = 3,  // the request header is not "#" + number, "#", "#"
    kRequestDamaged = 4, // the request file is too large, has an overlong line or a zero byte
    kResponseWrite = 5,  // writing the response file failed
    kPathInvalid = 6,    // a path argument is empty or does not end within 256 bytes
    // configuration file KONFIG.txt
    kConfigMissing = 13,  // no KONFIG.txt in the current directory, or it cannot be read
    kConfigFormat = 14,   // the configuration line is empty or not laid out as expected
    kConfigPort = 15,     // bad port, speed or protocol description
    kConfigTimeout = 16,  // bad time-out or register type field
    kRegisterNumber = 19, // register number outside 1..99
    kSendTimeout = 20,    // the register did not take the data in time
    kReceiveTimeout = 21, // the register did not answer in time
    kOtherRegister = 22,  // another register answered (request header names another register)
    kBadReply = 23,       // the register's reply is damaged
    kNak = 24,            // the register refused the command (NAK)
    kNotAvailable = 25,   // the command is not available in this register
    kPcServiceOff = 26,   // the register's "service from PC" option is off
    // the stand-in's own refusals
    kBadGoodsCode = 101,       // code field not "$" and five digits, or code 00000
    kBadGoodsName = 102,       // name empty, longer than 19 characters or with control characters
    kBadVat = 103,             // VAT number outside 1..7
    kBadUnit = 104,            // unit number outside 0..8
    kBadLock = 105,            // price lock not 0 or 1
    kBadPrice = 106,           // price not 1 to 9 digits
    kBadRecordLayout = 107,    // not ten fields, or a constant field differs
    kUnknownGood = 110,        // the register does not hold the named good
    kGoodsFull = 111,          // more than 4095 goods
    kNoData = 112,             // the request names no goods
    kTotalsNotZero = 113,      // sales totals are not zero
    kResetWithoutReport = 114, // KSprOp not directly after a successful OSprzed
    kStateWrite = 120,         // the simulated register's state cannot be stored
    kStateDamaged = 121,       // the simulated register's state files are damaged
};

inline constexpr Result kAllResults[] = {
    kRequestOpen,     kResponseCreate,
    kRequestHeader,   kRequestDamaged,
    kResponseWrite,   kPathInvalid,
    kConfigMissing,   kConfigFormat,
    kConfigPort,      kConfigTimeout,
    kRegisterNumber,  kSendTimeout,
    kReceiveTimeout,  kOtherRegister,
    kBadReply,        kNak,
    kNotAvailable,    kPcServiceOff,
    kBadGoodsCode,    kBadGoodsName,
    kBadVat,          kBadUnit,
    kBadLock,         kBadPrice,
    kBadRecordLayout, kUnknownGood,
    kGoodsFull,       kNoData,
    kTotalsNotZero,   kResetWithoutReport,
    kStateWrite,      kStateDamaged,
};

// Codes the application keeps for its own findings; the library never returns them, and `winip-sim fail` refuses
// to plan them. 250: the library or one of its functions is missing; 251: a good to delete has a code that is not a
// number; 252: a file the operation needs (the readout, the sales report kept before a reset, the configuration or
// the request file) could not be written. Only 252 has a line in koment.txt; the other two carry their own texts.
inline constexpr int kApplicationCodes[] = {250, 251, 252};
inline constexpr int kApplicationFileNotStored = 252;

} // namespace winip
