// Registration of the library with its host: the function table, the global
// table, the initialize/terminate table, the descriptor and the two exported
// entries. Plain declarations and constant tables only, so that the layout
// can be checked by compiling this file for 32-bit x86.
#include "framework/exception_fcn.h"
#include "framework/globals.h"
#include "runtime/mex_library.h"

#define KF_EXPORT __attribute__((visibility("default")))

extern "C" {
void mlxKestrel(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxAxis(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxFilter2(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxFlipud(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxGca(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxGcbf(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxHanning(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxHold(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxMod(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxNum2str(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxPolyfit(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxPolyval(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxAllchild(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxIshold(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxIsnumeric(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxNargchk(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxRot90(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxGcf(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxSignal_private_check_order(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxInt2str(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxLog10(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxStrvcat(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxCondest(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxMean(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxStd(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxIsstruct(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxRepmat(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxNormest1(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);

void InitializeModule_kestrel(void);
void TerminateModule_kestrel(void);
void InitializeModule_axis(void);
void TerminateModule_axis(void);
void InitializeModule_filter2(void);
void TerminateModule_filter2(void);
void InitializeModule_flipud(void);
void TerminateModule_flipud(void);
void InitializeModule_gca(void);
void TerminateModule_gca(void);
void InitializeModule_gcbf(void);
void TerminateModule_gcbf(void);
void InitializeModule_hanning(void);
void TerminateModule_hanning(void);
void InitializeModule_hold(void);
void TerminateModule_hold(void);
void InitializeModule_mod(void);
void TerminateModule_mod(void);
void InitializeModule_num2str(void);
void TerminateModule_num2str(void);
void InitializeModule_polyfit(void);
void TerminateModule_polyfit(void);
void InitializeModule_polyval(void);
void TerminateModule_polyval(void);
void InitializeModule_allchild(void);
void TerminateModule_allchild(void);
void InitializeModule_ishold(void);
void TerminateModule_ishold(void);
void InitializeModule_isnumeric(void);
void TerminateModule_isnumeric(void);
void InitializeModule_nargchk(void);
void TerminateModule_nargchk(void);
void InitializeModule_rot90(void);
void TerminateModule_rot90(void);
void InitializeModule_gcf(void);
void TerminateModule_gcf(void);
void InitializeModule_signal_private_check_order(void);
void TerminateModule_signal_private_check_order(void);
void InitializeModule_int2str(void);
void TerminateModule_int2str(void);
void InitializeModule_log10(void);
void TerminateModule_log10(void);
void InitializeModule_strvcat(void);
void TerminateModule_strvcat(void);
void InitializeModule_condest(void);
void TerminateModule_condest(void);
void InitializeModule_mean(void);
void TerminateModule_mean(void);
void InitializeModule_std(void);
void TerminateModule_std(void);
void InitializeModule_isstruct(void);
void TerminateModule_isstruct(void);
void InitializeModule_repmat(void);
void TerminateModule_repmat(void);
void InitializeModule_normest1(void);
void TerminateModule_normest1(void);

extern mexLocalFunctionTable _local_function_table_kestrel;
extern mexLocalFunctionTable _local_function_table_axis;
extern mexLocalFunctionTable _local_function_table_filter2;
extern mexLocalFunctionTable _local_function_table_flipud;
extern mexLocalFunctionTable _local_function_table_gca;
extern mexLocalFunctionTable _local_function_table_gcbf;
extern mexLocalFunctionTable _local_function_table_hanning;
extern mexLocalFunctionTable _local_function_table_hold;
extern mexLocalFunctionTable _local_function_table_mod;
extern mexLocalFunctionTable _local_function_table_num2str;
extern mexLocalFunctionTable _local_function_table_polyfit;
extern mexLocalFunctionTable _local_function_table_polyval;
extern mexLocalFunctionTable _local_function_table_allchild;
extern mexLocalFunctionTable _local_function_table_ishold;
extern mexLocalFunctionTable _local_function_table_isnumeric;
extern mexLocalFunctionTable _local_function_table_nargchk;
extern mexLocalFunctionTable _local_function_table_rot90;
extern mexLocalFunctionTable _local_function_table_gcf;
extern mexLocalFunctionTable _local_function_table_signal_private_check_order;
extern mexLocalFunctionTable _local_function_table_int2str;
extern mexLocalFunctionTable _local_function_table_log10;
extern mexLocalFunctionTable _local_function_table_strvcat;
extern mexLocalFunctionTable _local_function_table_condest;
extern mexLocalFunctionTable _local_function_table_mean;
extern mexLocalFunctionTable _local_function_table_std;
extern mexLocalFunctionTable _local_function_table_isstruct;
extern mexLocalFunctionTable _local_function_table_repmat;
extern mexLocalFunctionTable _local_function_table_normest1;

// The globals' slots, bound to the host's global workspace by name.
mxArray* Lpoly = nullptr;
mxArray* Nlarge = nullptr;
mxArray* Nmedium = nullptr;
mxArray* Nsmall = nullptr;
mxArray* T1 = nullptr;
mxArray* T2 = nullptr;
mxArray* T3 = nullptr;
mxArray* pf = nullptr;
mxArray* ppulse = nullptr;
mxArray* pseg = nullptr;
mxArray* psp1 = nullptr;
mxArray* psp2 = nullptr;
mxArray* psp3 = nullptr;
mxArray* seg = nullptr;

}  // extern "C"

namespace {

KF_EXCEPTION_FUNCTION()

mexFunctionTableEntry function_table[28] = {
    {"kestrel", mlxKestrel, 1, 0, &_local_function_table_kestrel},
    {"axis", mlxAxis, -1, 3, &_local_function_table_axis},
    {"filter2", mlxFilter2, 3, 1, &_local_function_table_filter2},
    {"flipud", mlxFlipud, 1, 1, &_local_function_table_flipud},
    {"gca", mlxGca, 1, 1, &_local_function_table_gca},
    {"gcbf", mlxGcbf, 0, 1, &_local_function_table_gcbf},
    {"hanning", mlxHanning, -1, 1, &_local_function_table_hanning},
    {"hold", mlxHold, 1, 0, &_local_function_table_hold},
    {"mod", mlxMod, 2, 1, &_local_function_table_mod},
    {"num2str", mlxNum2str, 2, 1, &_local_function_table_num2str},
    {"polyfit", mlxPolyfit, 3, 3, &_local_function_table_polyfit},
    {"polyval", mlxPolyval, 4, 2, &_local_function_table_polyval},
    {"allchild", mlxAllchild, 1, 1, &_local_function_table_allchild},
    {"ishold", mlxIshold, 1, 1, &_local_function_table_ishold},
    {"isnumeric", mlxIsnumeric, 1, 1, &_local_function_table_isnumeric},
    {"nargchk", mlxNargchk, 3, 1, &_local_function_table_nargchk},
    {"rot90", mlxRot90, 2, 1, &_local_function_table_rot90},
    {"gcf", mlxGcf, 0, 1, &_local_function_table_gcf},
    {"signal/private/check_order", mlxSignal_private_check_order, 1, 3,
     &_local_function_table_signal_private_check_order},
    {"int2str", mlxInt2str, 1, 1, &_local_function_table_int2str},
    {"log10", mlxLog10, 1, 1, &_local_function_table_log10},
    {"strvcat", mlxStrvcat, -1, 1, &_local_function_table_strvcat},
    {"condest", mlxCondest, 2, 2, &_local_function_table_condest},
    {"mean", mlxMean, 2, 1, &_local_function_table_mean},
    {"std", mlxStd, 3, 1, &_local_function_table_std},
    {"isstruct", mlxIsstruct, 1, 1, &_local_function_table_isstruct},
    {"repmat", mlxRepmat, 3, 1, &_local_function_table_repmat},
    {"normest1", mlxNormest1, -4, 4, &_local_function_table_normest1},
};

mexGlobalTableEntry global_table[14] = {
    {"Lpoly", &Lpoly},   {"Nlarge", &Nlarge}, {"Nmedium", &Nmedium}, {"Nsmall", &Nsmall},
    {"T1", &T1},         {"T2", &T2},         {"T3", &T3},           {"pf", &pf},
    {"ppulse", &ppulse}, {"pseg", &pseg},     {"psp1", &psp1},       {"psp2", &psp2},
    {"psp3", &psp3},     {"seg", &seg},
};

mexInitTermTableEntry init_term_table[29] = {
    {libmatlbmxInitialize, libmatlbmxTerminate},
    {InitializeModule_kestrel, TerminateModule_kestrel},
    {InitializeModule_axis, TerminateModule_axis},
    {InitializeModule_filter2, TerminateModule_filter2},
    {InitializeModule_flipud, TerminateModule_flipud},
    {InitializeModule_gca, TerminateModule_gca},
    {InitializeModule_gcbf, TerminateModule_gcbf},
    {InitializeModule_hanning, TerminateModule_hanning},
    {InitializeModule_hold, TerminateModule_hold},
    {InitializeModule_mod, TerminateModule_mod},
    {InitializeModule_num2str, TerminateModule_num2str},
    {InitializeModule_polyfit, TerminateModule_polyfit},
    {InitializeModule_polyval, TerminateModule_polyval},
    {InitializeModule_allchild, TerminateModule_allchild},
    {InitializeModule_ishold, TerminateModule_ishold},
    {InitializeModule_isnumeric, TerminateModule_isnumeric},
    {InitializeModule_nargchk, TerminateModule_nargchk},
    {InitializeModule_rot90, TerminateModule_rot90},
    {InitializeModule_gcf, TerminateModule_gcf},
    {InitializeModule_signal_private_check_order, TerminateModule_signal_private_check_order},
    {InitializeModule_int2str, TerminateModule_int2str},
    {InitializeModule_log10, TerminateModule_log10},
    {InitializeModule_strvcat, TerminateModule_strvcat},
    {InitializeModule_condest, TerminateModule_condest},
    {InitializeModule_mean, TerminateModule_mean},
    {InitializeModule_std, TerminateModule_std},
    {InitializeModule_isstruct, TerminateModule_isstruct},
    {InitializeModule_repmat, TerminateModule_repmat},
    {InitializeModule_normest1, TerminateModule_normest1},
};

mex_information_struct _mex_info = {1,       28, function_table, 14, global_table, 0,
                                    nullptr, 29, init_term_table};

const char* const version = "MATLAB R12 native";

}  // namespace

extern "C" {

KF_EXPORT mex_information mexLibrary(void) { return &_mex_info; }

KF_EXPORT const char* mexVersion(void) { return version; }

}  // extern "C"
