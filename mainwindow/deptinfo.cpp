#include "deptinfo.h"

DeptInfo::DeptInfo(QObject *parent)
    : QObject(parent)
{
}

DeptInfo::~DeptInfo() = default;
