#pragma once

// Results of drawing-library operations.
enum OdResult {
    eOk = 0,
    eNotImplementedYet,
    eInvalidInput,
    eKeyNotFound,
    eNullObjectId,
    eWrongObjectType,
    eNotOpenForWrite,
    eFileNotFound,
    eCantOpenFile,
    eFileAccessErr,
    eFileWriteError,
    eBadDwgHeader,
    eInvalidFileVersion,
    eSelfReference,
    eXRefDependent,
    eInvalidPassword,
    eUnsupportedFormat
};
