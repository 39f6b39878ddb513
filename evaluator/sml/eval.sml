(* Compiling and running ML text at top level: the reply class of each
 * outcome, interrupts that abandon the running evaluation, and the stop-run
 * flag that long runs poll. *)
structure TolqEval =
struct
  (* Raised by library code to end an evaluation in the "Error" class. *)
  exception ErrorClass of string

  (* ---- signals ---- *)

  (* Where SIGINT jumps to: the innermost running evaluation, if any. *)
  val abortTarget : unit SMLofNJ.Cont.cont option ref = ref NONE

  val stopFlag = ref false

  fun installSignals () =
      (Signals.setHandler (Signals.sigINT,
         Signals.HANDLER (fn (_, _, k) => case !abortTarget of SOME a => a | NONE => k));
       Signals.setHandler (UnixSignals.sigUSR1,
         Signals.HANDLER (fn (_, _, k) => (stopFlag := true; k)));
       Signals.setHandler (Signals.sigTERM,
         Signals.HANDLER (fn _ => OS.Process.exit OS.Process.success));
       Signals.setHandler (UnixSignals.sigPIPE, Signals.IGNORE);
       ignore (Signals.setHandler (UnixSignals.sigCONT, Signals.IGNORE)))

  (* Runs f as the innermost interruptible evaluation, then finish with
   * SOME result, or NONE when SIGINT abandoned f. finish runs with SIGINT
   * held, so that what it sends goes out whole; an interrupt that arrives
   * meanwhile goes to the enclosing evaluation afterwards. *)
  fun interruptible (f : unit -> 'a, finish : 'a option -> 'b) : 'b =
      let val saved = !abortTarget
          val result = ref NONE
          fun run k = (abortTarget := SOME k; result := SOME (f ()))
      in (SMLofNJ.Cont.callcc run) handle e => (abortTarget := saved; raise e);
         TolqChannel.hold ();
         abortTarget := saved;
         (finish (!result) handle e => (TolqChannel.release (); raise e))
         before TolqChannel.release ()
      end

  (* ---- lexical state at the end of a text ---- *)

  (* The compiler reports a comment or string left open at the end of its
   * input but carries on as if nothing were wrong; this finds such a text,
   * so that it is classed as not compiled.
   * Inside a comment only comment brackets count; strings and character
   * constants may hold escaped quotes. *)
  fun leftOpen (text : string) : string option =
      let val n = size text
          fun at i = if i < n then String.sub (text, i) else #"\000"
          fun normal i =
              if i >= n then NONE
              else case (at i, at (i + 1)) of
                     (#"(", #"*") => comment (i + 2, 1)
                   | (#"\"", _) => str (i + 1)
                   | _ => normal (i + 1)
          and comment (i, depth) =
              if i >= n then SOME "unclosed comment"
              else case (at i, at (i + 1)) of
                     (#"(", #"*") => comment (i + 2, depth + 1)
                   | (#"*", #")") => if depth = 1 then normal (i + 2) else comment (i + 2, depth - 1)
                   | _ => comment (i + 1, depth)
          and str i =
              if i >= n then SOME "unclosed string"
              else case at i of
                     #"\\" => str (i + 2)
                   | #"\"" => normal (i + 1)
                   | _ => str (i + 1)
      in normal 0 end

  fun compile (text : string) =
      (Backend.Interact.useStream (TextIO.openString text);
       case leftOpen text of
         SOME what => raise CompileExn.Compile what
       | NONE => ())

  (* Compiles and runs text nested in the running evaluation; compile errors
   * and exceptions reach the caller. *)
  fun usestring (texts : string list) = compile (String.concat texts)

  (* ---- one evaluation ---- *)

  fun exceptionText e =
      let val name = exnName e
          val msg = exnMessage e
      in if String.isPrefix name msg then msg else name ^ " (" ^ msg ^ ")" end

  fun classify (e : exn) : TolqReply.class =
      case e of
        ErrorMsg.Error => TolqReply.CompileError
      | CompileExn.Compile _ => TolqReply.CompileError
      | ErrorClass msg => (TolqCapture.say ("Error: " ^ msg ^ "\n"); TolqReply.ErrorClass)
      | _ => (TolqCapture.say ("\nUnhandled Exception: " ^ exceptionText e ^ "\n");
              TolqReply.Failure)

  fun run (text : string) : TolqReply.class =
      let val class = ref TolqReply.Success
      in Backend.Interact.withErrorHandling true
           {thunk = fn () => compile text,
            flush = fn () => (),
            cont = fn e => class := classify e};
         !class
      end

  (* tolq sends at most one input text with a request, and the next only
   * after the reply. Input still unread when a top-level evaluation ends
   * was never read (the text failed before it got there) and must not be
   * taken for the input of the next request; it is dropped before the
   * reply goes out. (An input text still on its way at that moment cannot
   * be told from the next one; tolq writes it right after the request.) *)
  fun dropStaleInput () = TolqChannel.drain TolqChannel.textIn

  (* Evaluates one text that tolq sent and writes the reply: everything
   * printed, then the terminator of its class. *)
  fun evaluate (text : string) =
      let val d = TolqCapture.depth ()
          fun reply outcome =
              let val _ = TolqCapture.popTo (d + 1)
                  val class =
                      case outcome of
                        SOME c => c
                      | NONE => (TolqCapture.say "\nUnhandled Exception: Interrupt\n";
                                 TolqReply.Failure)
              in if d = 0 then dropStaleInput () else ();
                 TolqReply.send (TolqCapture.popTo d, class)
              end
      in TolqCapture.install ();
         TolqCapture.push ();
         interruptible (fn () => run text, reply)
      end
end
