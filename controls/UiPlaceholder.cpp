// Keeps the Windows user-interface library non-empty until its first control exists.
namespace vortiflux_ui {
int placeholder = 0;
}
